// The running Windows system.
#pragma once

#include "registry/system.h"

namespace lanvik {

class Win32System : public System {
  public:
    bool QueryOsVersion(OsVersion& version) override;
    bool ShellFolderPath(int folderId, std::string& folder) override;
    bool FileExists(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    std::string TempFolder() override;
};

}  // namespace lanvik
