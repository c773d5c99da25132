// The launcher's frame: a hidden window whose message loop runs on the main thread while one
// worker thread does the whole launch. The worker starts a quarter of a second after the window
// exists, so that the loop is already running, and ends the program by posting WM_CLOSE.
#include <windows.h>

#include <string>

#include <kit/unique_handle.h>

#include "core/launch_sequence.h"
#include "core/launch_worker.h"
#include "core/run_log.h"
#include "core/win32_dialogs.h"
#include "core/win32_files.h"
#include "core/win32_processes.h"
#include "core/win32_program_runner.h"
#include "registry/win32_registry.h"
#include "registry/win32_system.h"
#include "registry/win32_type_library.h"

namespace {

constexpr char kClassName[] = "LanvikClass";
constexpr UINT_PTR kStartTimer = 1;
constexpr UINT kStartDelayMs = 250;

// Shared by the two threads without a lock: the command-line copy is written before the worker
// exists; the run log is written only by the worker and closed by the main thread on
// WM_DESTROY, which can only come after the worker's last line and its WM_CLOSE.
std::string g_commandLine;
lanvik::LogService g_log;
kit::UniqueHandle g_worker;

DWORD WINAPI LaunchWorker(LPVOID parameter) {
    HWND window = static_cast<HWND>(parameter);
    {
        lanvik::Win32Files files;
        lanvik::Win32Dialogs dialogs;
        lanvik::Win32Registry registry;
        lanvik::Win32System system;
        lanvik::Win32Processes processes;
        lanvik::Win32Clock clock;
        lanvik::Win32ProgramRunner programs;
        lanvik::Win32ModuleResources resources;
        lanvik::Win32TypeLibraries typeLibraries;
        lanvik::Win32Guids guids;
        const lanvik::LaunchPlatform platform{registry,      system, files,    dialogs,
                                              processes,     clock,  programs, resources,
                                              typeLibraries, guids,  g_log};
        lanvik::RunLaunchWorker(
            g_commandLine, g_log, files, dialogs,
            [&platform](const lanvik::LaunchOptions& options, const std::string&) {
                lanvik::RunLaunchSequence(platform, options);
            });
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            SetTimer(window, kStartTimer, kStartDelayMs, nullptr);
            return 0;
        case WM_TIMER:
            KillTimer(window, kStartTimer);
            if (g_worker) return 0;  // one worker per run, whatever timer fires
            g_worker.reset(CreateThread(nullptr, 0, LaunchWorker, window, 0, nullptr));
            if (!g_worker) PostMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            g_log.Close();
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);

    g_commandLine = commandLine != nullptr ? commandLine : "";

    HWND window =
        CreateWindowExA(0, kClassName, lanvik::kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                        CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 0;
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // The worker's last act was posting WM_CLOSE; let it finish returning before the process
    // tears down the globals it used.
    if (g_worker) WaitForSingleObject(g_worker.get(), 5000);
    return 0;
}
