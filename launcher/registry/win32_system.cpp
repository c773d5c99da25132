#include "registry/win32_system.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include <kit/unique_handle.h>

namespace lanvik {

bool Win32System::QueryOsVersion(OsVersion& version) {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
    version.platformId = info.dwPlatformId;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    return true;
}

bool Win32System::ShellFolderPath(int folderId, std::string& folder) {
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    kit::UniqueLibrary shell(LoadLibraryA("shell32.dll"));
    if (!shell) return false;
    auto getFolderPath = reinterpret_cast<GetFolderPath>(
        reinterpret_cast<void*>(GetProcAddress(shell.get(), "SHGetFolderPathA")));
    if (getFolderPath == nullptr) return false;
    char buffer[MAX_PATH] = {};
    std::strncpy(buffer, folder.c_str(), MAX_PATH - 1);
    getFolderPath(nullptr, folderId, nullptr, 0, buffer);
    buffer[MAX_PATH - 1] = '\0';
    folder = buffer;
    return true;
}

bool Win32System::FileExists(const std::string& path) {
    kit::UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool Win32System::FolderExists(const std::string& path) {
    kit::UniqueFileHandle folder(CreateFileA(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return static_cast<bool>(folder);
}

std::string Win32System::TempFolder() {
    DWORD length = GetTempPathA(0, nullptr);
    if (length == 0) return std::string();
    std::vector<char> buffer(length + 1, '\0');
    DWORD written = GetTempPathA(length, buffer.data());
    if (written == 0 || written >= length + 1) return std::string();
    return std::string(buffer.data(), written);
}

}  // namespace lanvik
