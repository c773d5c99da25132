// LanvikPermissions: resets the permissions of the machine-wide registry keys that the launcher
// writes, so that the local Users group may change them. For each key of the snapshot list it
// clears the explicit entries of the key's DACL and SACL, grants the Users group
// (S-1-5-32-545) full control, and lets the key inherit its parent's entries again, so that
// administrators and the system keep theirs. Keys that do not exist are left alone. Runs elevated
// (its manifest asks for it); "noprogress" hides the progress window. The exit code is 0 when
// every existing key was repaired, 1 otherwise.
#include <windows.h>
#include <aclapi.h>
#include <commctrl.h>

#include <cctype>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <kit/unique_handle.h>

#include "registry/snapshot_list.h"

namespace {

enum class KeyOutcome { Repaired, Missing, Failed };

void FreeSidValue(PSID sid) { ::FreeSid(sid); }
using UniqueSid = kit::UniqueAny<PSID, FreeSidValue>;

// Changing a SACL needs the security privilege, which administrators hold but not enabled.
void EnableSecurityPrivilege() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) {
        return;
    }
    kit::UniqueHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, "SeSecurityPrivilege", &privileges.Privileges[0].Luid)) {
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    }
}

UniqueSid UsersGroup() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0,
                                  0, 0, 0, 0, &sid)) {
        return {};
    }
    return UniqueSid(sid);
}

// An ACL in a buffer aligned for its entries.
struct AclBuffer {
    std::vector<DWORD> words;
    PACL get() { return reinterpret_cast<PACL>(words.data()); }
};

bool UsersFullControlDacl(PSID users, AclBuffer& dacl) {
    DWORD size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(users);
    dacl.words.assign((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    return InitializeAcl(dacl.get(), size, ACL_REVISION) &&
           AddAccessAllowedAceEx(dacl.get(), ACL_REVISION, CONTAINER_INHERIT_ACE, KEY_ALL_ACCESS,
                                 users);
}

bool EmptyAcl(AclBuffer& acl) {
    acl.words.assign((sizeof(ACL) + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    return InitializeAcl(acl.get(), sizeof(ACL), ACL_REVISION);
}

KeyOutcome RepairKey(const std::string& path, PSID users) {
    HKEY raw = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                                READ_CONTROL | WRITE_DAC | ACCESS_SYSTEM_SECURITY, &raw);
    if (status == ERROR_FILE_NOT_FOUND) return KeyOutcome::Missing;
    if (status != ERROR_SUCCESS) return KeyOutcome::Failed;
    kit::UniqueKey key(raw);

    AclBuffer dacl;
    AclBuffer sacl;
    if (!UsersFullControlDacl(users, dacl) || !EmptyAcl(sacl)) return KeyOutcome::Failed;
    // Only explicit entries are passed; the inherited ones come back from the parent.
    DWORD daclStatus =
        SetSecurityInfo(key.get(), SE_REGISTRY_KEY,
                        DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, dacl.get(), nullptr);
    DWORD saclStatus =
        SetSecurityInfo(key.get(), SE_REGISTRY_KEY,
                        SACL_SECURITY_INFORMATION | UNPROTECTED_SACL_SECURITY_INFORMATION, nullptr,
                        nullptr, nullptr, sacl.get());
    return daclStatus == ERROR_SUCCESS && saclStatus == ERROR_SUCCESS ? KeyOutcome::Repaired
                                                                      : KeyOutcome::Failed;
}

// The progress window: a caption and a bar, advanced once per key.
class ProgressWindow {
  public:
    explicit ProgressWindow(int steps) {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        HINSTANCE module = GetModuleHandleA(nullptr);
        // A plain static window serves as the frame: nothing to register, nothing to close.
        window_.reset(CreateWindowExA(0, "STATIC", "Lanvik Permissions",
                                      WS_POPUP | WS_CAPTION | WS_VISIBLE, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 360, 110, nullptr, nullptr, module, nullptr));
        if (!window_) return;
        CreateWindowExA(0, "STATIC", "Repairing registry permissions...", WS_CHILD | WS_VISIBLE, 16,
                        12, 320, 18, window_.get(), nullptr, module, nullptr);
        bar_ = CreateWindowExA(0, PROGRESS_CLASSA, nullptr, WS_CHILD | WS_VISIBLE, 16, 40, 320, 18,
                               window_.get(), nullptr, module, nullptr);
        SendMessageA(bar_, PBM_SETRANGE32, 0, steps);
        Pump();
    }
    void Step(int done) {
        if (!bar_) return;
        SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(done), 0);
        Pump();
    }

  private:
    static void Pump() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    kit::UniqueWindow window_;
    HWND bar_ = nullptr;
};

bool AskedForNoProgress(std::string_view commandLine) {
    std::string word;
    for (char c : commandLine) {
        if (c == '"') continue;
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    auto first = word.find_first_not_of(" \t");
    auto last = word.find_last_not_of(" \t");
    return first != std::string::npos && word.substr(first, last - first + 1) == "noprogress";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const std::vector<std::string> keys = lanvik::SnapshotMachineKeyPaths();
    EnableSecurityPrivilege();
    UniqueSid users = UsersGroup();
    if (!users) return 1;

    std::unique_ptr<ProgressWindow> progress;
    if (!AskedForNoProgress(commandLine ? commandLine : "")) {
        progress = std::make_unique<ProgressWindow>(static_cast<int>(keys.size()));
    }
    bool anyFailed = false;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (RepairKey(keys[i], users.get()) == KeyOutcome::Failed) anyFailed = true;
        if (progress) progress->Step(static_cast<int>(i + 1));
    }
    return anyFailed ? 1 : 0;
}
