// A system for native tests: any Windows version, any set of files and folders (paths compared
// without regard to case, as Windows does), and a shell that can be missing.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "registry/system.h"

namespace lanvik {

class MemorySystem : public System {
  public:
    bool QueryOsVersion(OsVersion& version) override;
    bool ShellFolderPath(int folderId, std::string& folder) override;
    bool FileExists(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    std::string TempFolder() override { return tempFolder; }

    void AddFile(const std::string& path);
    void AddFolder(const std::string& path);
    void RemoveFile(const std::string& path);

    // Nothing makes the version query fail.
    std::optional<OsVersion> version = kWindowsXp;
    // The common program files folder the shell gives; nothing means that shell32 has no
    // SHGetFolderPathA.
    std::optional<std::string> commonFilesFolder = std::string("C:\\Program Files\\Common Files");
    std::string tempFolder = "C:\\Users\\user\\AppData\\Local\\Temp\\";

  private:
    std::set<std::string> files_, folders_;  // upper case
};

}  // namespace lanvik
