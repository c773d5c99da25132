#include "platform/infrared/win32_infrared_link.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "core/errors.h"
#include "kit/unique_handle.h"

namespace reader {
namespace {

// The library's functions take the plain names; in the 32-bit build they are __stdcall.
using OpenFunction = std::int32_t(WINAPI*)(std::int32_t port, std::int32_t speed);
using WriteFunction = std::int32_t(WINAPI*)(const char* text);
using ReadFunction = std::int32_t(WINAPI*)(char* buffer);
using CloseFunction = std::int32_t(WINAPI*)();

constexpr wchar_t kLibrary[] = L"IrLib.dll";

// The folder of the module this code is linked into (the component), with its final "\".
std::wstring OwnFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&OwnFolder), &self)) {
        return {};
    }
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

class Win32InfraredLink : public InfraredLink {
  public:
    std::int32_t Open(std::int32_t port, std::int32_t speed) override {
        return Function<OpenFunction>("vbOpenIrCom")(port, speed);
    }
    void Write(std::string_view command) override {
        const std::string text(command);
        Function<WriteFunction>("WriteIrCom")(text.c_str());
    }
    void Read(InfraredBuffer& buffer) override {
        // The library writes into the caller's text in place: hand it the buffer and its NUL.
        char text[sizeof(InfraredBuffer) + 1];
        std::copy(buffer.begin(), buffer.end(), text);
        text[buffer.size()] = '\0';
        Function<ReadFunction>("vbReadIrCom")(text);
        std::copy_n(text, buffer.size(), buffer.begin());
    }
    void Close() override { Function<CloseFunction>("CloseIrCom")(); }

  private:
    template <typename Pointer>
    Pointer Function(const char* name) {
        Load();
        const FARPROC found = GetProcAddress(library_.get(), name);
        if (found == nullptr) {
            const std::string text(name);
            const std::wstring function(text.begin(), text.end());
            throw ReaderErrorWithText(kErrDllEntryPointNotFound,
                                      ErrorText(kErrDllEntryPointNotFound, {function, kLibrary}),
                                      GetLastError(), L"GetProcAddress " + function);
        }
        return reinterpret_cast<Pointer>(reinterpret_cast<void*>(found));
    }

    void Load() {
        if (library_) return;
        const std::wstring beside = OwnFolder() + kLibrary;
        if (GetFileAttributesW(beside.c_str()) != INVALID_FILE_ATTRIBUTES) {
            library_.reset(LoadLibraryExW(beside.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        }
        if (!library_) library_.reset(LoadLibraryW(kLibrary));
        if (library_) return;
        const DWORD error = GetLastError();
        const std::wstring operation = std::wstring(L"LoadLibraryW ") + kLibrary;
        if (error == ERROR_MOD_NOT_FOUND || error == ERROR_FILE_NOT_FOUND ||
            error == ERROR_PATH_NOT_FOUND) {
            throw ReaderErrorWithText(
                kErrFileNotFound, ErrorText(kErrFileNotFound) + L": " + kLibrary, error, operation);
        }
        throw ReaderError(kErrDllLoadError, error, operation);
    }

    kit::UniqueLibrary library_;
};

}  // namespace

std::unique_ptr<InfraredLink> CreateWin32InfraredLink() {
    return std::make_unique<Win32InfraredLink>();
}

}  // namespace reader
