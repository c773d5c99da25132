#include "core/win32_files.h"

#include <windows.h>
#include <shlobj.h>

#include <cstddef>

#include <kit/unique_handle.h>

namespace lanvik {
namespace {

class Win32AppendFile : public AppendFile {
  public:
    explicit Win32AppendFile(kit::UniqueFileHandle file) : file_(std::move(file)) {}
    bool Write(std::string_view bytes) override {
        DWORD written = 0;
        return WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) != FALSE;
    }

  private:
    kit::UniqueFileHandle file_;
};

class Win32HeldFile : public HeldFile {
  public:
    explicit Win32HeldFile(kit::UniqueFileHandle file) : file_(std::move(file)) {}
    std::optional<std::string> ReadAll() override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart > 0x7FFFFFFF) return {};
        std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t done = 0;
        SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN);
        while (done < bytes.size()) {
            DWORD read = 0;
            if (!ReadFile(file_.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                          &read, nullptr) ||
                read == 0) {
                return {};
            }
            done += read;
        }
        return bytes;
    }

  private:
    kit::UniqueFileHandle file_;
};

DWORD ShareMode(FileSharing sharing) { return sharing == FileSharing::Read ? FILE_SHARE_READ : 0; }

}  // namespace

std::optional<std::string> Win32Files::DesktopFolder() {
    char folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_DESKTOPDIRECTORY, FALSE)) return {};
    return std::string(folder);
}

std::unique_ptr<AppendFile> Win32Files::OpenForAppend(const std::string& path) {
    kit::UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    SetFilePointer(file.get(), 0, nullptr, FILE_END);
    return std::make_unique<Win32AppendFile>(std::move(file));
}

bool Win32Files::WriteNewFile(const std::string& path, std::string_view bytes, FileSharing sharing,
                              bool hidden) {
    kit::UniqueFileHandle file(CreateFileA(
        path.c_str(), GENERIC_READ | GENERIC_WRITE, ShareMode(sharing), nullptr, CREATE_ALWAYS,
        hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    if (bytes.empty()) return true;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) != FALSE &&
           written == bytes.size();
}

std::unique_ptr<HeldFile> Win32Files::OpenHeld(const std::string& path, FileSharing sharing) {
    kit::UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, ShareMode(sharing), nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32HeldFile>(std::move(file));
}

bool Win32Files::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

}  // namespace lanvik
