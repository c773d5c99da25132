#include <windows.h>

#include "core/win32_program_runner.h"

namespace lanvik {

std::optional<std::string> Win32ModuleResources::LoadResource(int id, const std::string& type) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type.c_str());
    if (!found) return {};
    DWORD size = SizeofResource(nullptr, found);
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return {};
    return std::string(static_cast<const char*>(bytes), size);
}

}  // namespace lanvik
