// In-memory files and folders for native tests; paths are compared exactly as given, and any
// file can be made read-only.
#pragma once

#include <map>
#include <set>
#include <string>

#include "core/file_system.h"

namespace reader {

class MemoryFileSystem : public FileSystem {
  public:
    bool FolderExists(const std::wstring& path) override;
    void CreateFolder(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    void DeleteFile(const std::wstring& path) override;
    void MoveFile(const std::wstring& from, const std::wstring& to) override;
    std::unique_ptr<TextReader> OpenTextFile(const std::wstring& path) override;

    // Contents by full path, as bytes. A file's folder need not be listed in folders.
    std::map<std::wstring, std::string> files;
    std::set<std::wstring> folders;
    std::set<std::wstring> readOnly;
};

}  // namespace reader
