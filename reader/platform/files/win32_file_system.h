// Files and folders on Windows, with the scripting file-system object's error numbers.
#pragma once

#include "platform/files/file_system.h"

namespace reader {

class Win32FileSystem : public FileSystem {
  public:
    bool FolderExists(const std::wstring& path) override;
    void CreateFolder(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    void DeleteFile(const std::wstring& path) override;
    void MoveFile(const std::wstring& from, const std::wstring& to) override;
    std::unique_ptr<TextReader> OpenTextFile(const std::wstring& path) override;
    void WriteTextFile(const std::wstring& path, std::string_view bytes) override;
};

}  // namespace reader
