// In-memory files and folders for native tests. Paths are matched as Windows matches them:
// without regard to case, "/" as "\", a trailing "\" ignored; any file can be made read-only.
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/files/file_system.h"

namespace reader {

// Orders paths by their Windows spelling-independent form, so that a map finds "C:\A.TXT" under
// "c:/a.txt".
struct PathLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

class MemoryFileSystem : public FileSystem {
  public:
    bool FolderExists(const std::wstring& path) override;
    void CreateFolder(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    void DeleteFile(const std::wstring& path) override;
    void MoveFile(const std::wstring& from, const std::wstring& to) override;
    std::unique_ptr<TextReader> OpenTextFile(const std::wstring& path) override;
    void WriteTextFile(const std::wstring& path, std::string_view bytes) override;

    // Contents by full path, as bytes. A file's folder need not be listed in folders.
    std::map<std::wstring, std::string, PathLess> files;
    std::set<std::wstring, PathLess> folders;
    std::set<std::wstring, PathLess> readOnly;

  private:
    // A folder exists when listed, when it is a drive root, or when a file lies in it.
    bool FolderKnown(const std::wstring& folder);
    // 53 for a missing file in an existing folder, 76 when the folder is missing too.
    RaisedError MissingFileError(const std::wstring& path);
};

}  // namespace reader
