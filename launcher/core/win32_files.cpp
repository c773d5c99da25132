#include "core/win32_files.h"

#include <windows.h>
#include <shlobj.h>

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

}  // namespace lanvik
