// Stand-in for Access, and for the security launcher "launch32.exe" (a copy of this program under
// that name). It does what the launcher relies on and nothing more: it records the command line
// it was given, puts up a top-level window of class "OMain" owned by its own process, and ends by
// itself. Its behaviour comes from environment variables, since its command line is whatever the
// launcher passes:
//   LANVIK_ACCESS_RECORD    file that receives the exact command line (GetCommandLineA), a CR LF,
//                           this program's own path and a CR LF; default: this program's path
//                           followed by ".cmdline.txt"
//   LANVIK_ACCESS_MODE      window (default): the main window at once
//                           late: the main window after LANVIK_ACCESS_DELAY_MS (default 3000)
//                           nowindow: no window at all
//                           exit: ends after LANVIK_ACCESS_DELAY_MS (default 500), no window
//                           child: an "OMain" window only as the child of a frame window
//                           owned: an "OMain" window only as a pop-up owned by a frame window
//   LANVIK_ACCESS_CLASS     class name of the main window (default "OMain")
//   LANVIK_ACCESS_LIFETIME_MS  how long it lives once its windows are up (default 5000)
//   LANVIK_ACCESS_READY     file created once its windows are up
//   LANVIK_ACCESS_REGISTRY  registry values to report, "ROOT\key|value" entries separated by
//                           ";" (ROOT is HKCR, HKCU or HKLM; an empty value name is the default
//                           value); each is written, before any window is up, as a line
//                           "ROOT\key|value=" followed by the text, the decimal number of a
//                           REG_DWORD, or "<none>", into LANVIK_ACCESS_REGISTRY_FILE
//   LANVIK_ACCESS_TIMES     file that receives "created=<time> ended=<time>" when it ends after
//                           its lifetime: its process's creation time and the time it ends, in
//                           100 ns units (FILETIME), for the launcher's timings
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string Environment(const char* name, const std::string& fallback) {
    char value[8192];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    if (length == 0 || length >= sizeof(value)) return fallback;
    return std::string(value, length);
}

DWORD EnvironmentNumber(const char* name, DWORD fallback) {
    std::string text = Environment(name, "");
    return text.empty() ? fallback : static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10));
}

std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

unsigned long long Ticks(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// When this process was created, and now.
std::string TimesReport() {
    FILETIME created = {}, exited = {}, kernel = {}, user = {}, now = {};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    return "created=" + std::to_string(Ticks(created)) + " ended=" + std::to_string(Ticks(now)) +
           "\r\n";
}

// What the registry holds while this program starts, as the launcher left it for Access.
std::string RegistryReport(const std::string& entries) {
    std::string report;
    std::size_t start = 0;
    while (start < entries.size()) {
        std::size_t end = entries.find(';', start);
        if (end == std::string::npos) end = entries.size();
        const std::string entry = entries.substr(start, end - start);
        start = end + 1;
        const std::size_t bar = entry.find('|');
        const std::size_t slash = entry.find('\\');
        if (bar == std::string::npos || slash == std::string::npos || slash > bar) continue;
        const std::string rootName = entry.substr(0, slash);
        HKEY root = rootName == "HKCR"   ? HKEY_CLASSES_ROOT
                    : rootName == "HKCU" ? HKEY_CURRENT_USER
                                         : HKEY_LOCAL_MACHINE;
        const std::string key = entry.substr(slash + 1, bar - slash - 1);
        const std::string name = entry.substr(bar + 1);
        std::string text = "<none>";
        HKEY opened = nullptr;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS) {
            char data[4096] = {};
            DWORD size = sizeof(data) - 1, type = 0;
            if (RegQueryValueExA(opened, name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
                if (type == REG_DWORD && size == 4) {
                    DWORD number = 0;
                    CopyMemory(&number, data, 4);
                    text = std::to_string(number);
                } else {
                    text = std::string(data, size);
                    while (!text.empty() && text.back() == '\0') text.pop_back();
                }
            }
            RegCloseKey(opened);
        }
        report += entry + "=" + text + "\r\n";
    }
    return report;
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && GetParent(window) == nullptr &&
        GetWindow(window, GW_OWNER) == nullptr)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterWindowClass(HINSTANCE instance, const std::string& name) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = name.c_str();
    RegisterClassA(&windowClass);
}

const char* const kFrameClass = "LanvikStandinFrame";

// Puts up the windows of the mode; returns false when it could not.
bool ShowWindows(HINSTANCE instance, const std::string& mode, const std::string& mainClass,
                 int showCommand) {
    if (mode == "child" || mode == "owned") {
        HWND frame =
            CreateWindowExA(0, kFrameClass, "Stand-in frame", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
        if (frame == nullptr) return false;
        ShowWindow(frame, showCommand);
        HWND inner =
            mode == "child"
                ? CreateWindowExA(0, mainClass.c_str(), "Stand-in child", WS_CHILD | WS_VISIBLE, 0,
                                  0, 100, 100, frame, nullptr, instance, nullptr)
                : CreateWindowExA(0, mainClass.c_str(), "Stand-in owned", WS_POPUP | WS_VISIBLE, 10,
                                  10, 100, 100, frame, nullptr, instance, nullptr);
        return inner != nullptr;
    }
    HWND main =
        CreateWindowExA(0, mainClass.c_str(), "Stand-in Access", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
    if (main == nullptr) return false;
    ShowWindow(main, showCommand);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const std::string ownPath = OwnPath();
    WriteWholeFile(Environment("LANVIK_ACCESS_RECORD", ownPath + ".cmdline.txt"),
                   std::string(GetCommandLineA()) + "\r\n" + ownPath + "\r\n");

    const std::string registrySpecs = Environment("LANVIK_ACCESS_REGISTRY", "");
    if (!registrySpecs.empty())
        WriteWholeFile(Environment("LANVIK_ACCESS_REGISTRY_FILE", ownPath + ".registry.txt"),
                       RegistryReport(registrySpecs));

    const std::string mode = Environment("LANVIK_ACCESS_MODE", "window");
    const std::string mainClass = Environment("LANVIK_ACCESS_CLASS", "OMain");
    const DWORD lifetime = EnvironmentNumber("LANVIK_ACCESS_LIFETIME_MS", 5000);
    const std::string ready = Environment("LANVIK_ACCESS_READY", "");

    if (mode == "exit") {
        Sleep(EnvironmentNumber("LANVIK_ACCESS_DELAY_MS", 500));
        return 0;
    }
    if (mode == "nowindow") {
        if (!ready.empty()) WriteWholeFile(ready, "ready");
        Sleep(lifetime);
        return 0;
    }
    if (mode == "late") Sleep(EnvironmentNumber("LANVIK_ACCESS_DELAY_MS", 3000));

    RegisterWindowClass(instance, mainClass);
    RegisterWindowClass(instance, kFrameClass);
    if (!ShowWindows(instance, mode, mainClass, showCommand)) return 2;
    if (!ready.empty()) WriteWholeFile(ready, "ready");

    // Ends by itself: the timer posts the quit however the windows are doing.
    SetTimer(nullptr, 0, lifetime, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    const std::string times = Environment("LANVIK_ACCESS_TIMES", "");
    if (!times.empty()) WriteWholeFile(times, TimesReport());
    return 0;
}
