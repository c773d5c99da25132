#include "registry/win32_type_library.h"

#include <windows.h>
#include <oleauto.h>

#include <memory>

namespace lanvik {
namespace {

constexpr int kWidePathSize = 2048;
constexpr int kGuidTextSize = 256;

// Releases the library when the registration is done.
struct TypeLibRelease {
    void operator()(ITypeLib* library) const { library->Release(); }
};

}  // namespace

bool Win32TypeLibraries::RegisterTypeLibrary(const std::string& path) {
    wchar_t widePath[kWidePathSize] = {};
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, kWidePathSize) == 0)
        return false;
    ITypeLib* loaded = nullptr;
    if (FAILED(LoadTypeLib(widePath, &loaded)) || loaded == nullptr) return false;
    std::unique_ptr<ITypeLib, TypeLibRelease> library(loaded);
    return SUCCEEDED(RegisterTypeLib(library.get(), widePath, nullptr));
}

std::string Win32Guids::NewGuidText() {
    GUID guid;
    if (FAILED(CoCreateGuid(&guid))) return std::string();
    wchar_t wide[kGuidTextSize] = {};
    if (StringFromGUID2(guid, wide, kGuidTextSize) == 0) return std::string();
    char narrow[kGuidTextSize] = {};
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, kGuidTextSize, nullptr, nullptr) == 0)
        return std::string();
    return narrow;
}

}  // namespace lanvik
