// Test helper: reads or sets the security of a key under HKEY_LOCAL_MACHINE in SDDL form.
//   key_security get <path>           prints the DACL and the SACL, e.g. "D:(A;CI;KA;;;BU)"
//   key_security set <path> <sddl>    replaces the DACL and the SACL with those of the text
// Exit code 0 on success, else the Win32 error.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void EnableSecurityPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, "SeSecurityPrivilege", &privileges.Privileges[0].Luid)) {
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
}

int Get(const std::string& object) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | SACL_SECURITY_INFORMATION;
    DWORD status = GetNamedSecurityInfoA(object.c_str(), SE_REGISTRY_KEY, what, nullptr, nullptr,
                                         nullptr, nullptr, &descriptor);
    if (status != ERROR_SUCCESS) return static_cast<int>(status);
    char* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, what,
                                                              &text, nullptr)) {
        LocalFree(descriptor);
        return static_cast<int>(GetLastError());
    }
    std::printf("%s\n", text);
    LocalFree(text);
    LocalFree(descriptor);
    return 0;
}

int Set(const std::string& object, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return static_cast<int>(GetLastError());
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    PACL sacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    SECURITY_INFORMATION what = present ? DACL_SECURITY_INFORMATION : 0;
    GetSecurityDescriptorSacl(descriptor, &present, &sacl, &defaulted);
    if (present) what |= SACL_SECURITY_INFORMATION;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    if (control & SE_DACL_PROTECTED) what |= PROTECTED_DACL_SECURITY_INFORMATION;
    DWORD status = SetNamedSecurityInfoA(const_cast<char*>(object.c_str()), SE_REGISTRY_KEY, what,
                                         nullptr, nullptr, dacl, sacl);
    LocalFree(descriptor);
    return static_cast<int>(status);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: key_security get|set <path under HKLM> [sddl]\n");
        return 87;
    }
    EnableSecurityPrivilege();
    std::string object = std::string("MACHINE\\") + argv[2];
    if (std::strcmp(argv[1], "get") == 0) return Get(object);
    if (std::strcmp(argv[1], "set") == 0 && argc >= 4) return Set(object, argv[3]);
    return 87;
}
