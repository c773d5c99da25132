#include "platform/files/win32_file_system.h"

#include <windows.h>
// windows.h names these as macros; the interface's methods keep their plain names.
#undef DeleteFile
#undef MoveFile

#include "kit/unique_handle.h"

namespace reader {
namespace {

// The file-system object's number for a Windows error; the Windows code and the call stay with
// the error for diagnosis.
[[noreturn]] void RaiseFor(const wchar_t* operation, const std::wstring& path) {
    const DWORD error = GetLastError();
    std::int32_t number = kErrPermissionDenied;
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            number = kErrFileNotFound;
            break;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            number = kErrPathNotFound;
            break;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            number = kErrFileAlreadyExists;
            break;
        default:
            break;
    }
    throw ReaderError(number, error, std::wstring(operation) + L" " + path);
}

}  // namespace

bool Win32FileSystem::FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32FileSystem::CreateFolder(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr)) RaiseFor(L"CreateDirectoryW", path);
}

bool Win32FileSystem::FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32FileSystem::DeleteFile(const std::wstring& path) {
    if (!::DeleteFileW(path.c_str())) RaiseFor(L"DeleteFileW", path);
}

void Win32FileSystem::MoveFile(const std::wstring& from, const std::wstring& to) {
    if (!::MoveFileW(from.c_str(), to.c_str())) RaiseFor(L"MoveFileW", from + L" -> " + to);
}

std::unique_ptr<TextReader> Win32FileSystem::OpenTextFile(const std::wstring& path) {
    kit::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) RaiseFor(L"CreateFileW", path);
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return std::make_unique<BufferTextReader>(std::move(bytes));
}

void Win32FileSystem::WriteTextFile(const std::wstring& path, std::string_view bytes) {
    kit::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file &&
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size()) {
        return;
    }
    // Sequential output knows a missing folder and, for everything else, "access error".
    const DWORD error = GetLastError();
    const bool missingFolder =
        error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME;
    throw ReaderError(missingFolder ? kErrPathNotFound : kErrPathFileAccessError, error,
                      (file ? L"WriteFile " : L"CreateFileW ") + path);
}

}  // namespace reader
