#include "platform/ui/win32_user_interface.h"

#include <windows.h>

namespace reader {

void Win32UserInterface::ShowMessage(const std::wstring& text, const std::wstring& title,
                                     unsigned style) {
    MessageBoxW(nullptr, text.c_str(), title.c_str(), style);
}

void Win32UserInterface::Beep() { MessageBeep(MB_OK); }

void Win32MessageLoop::ProcessPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Not ours to consume: the host's own loop must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32MessageLoop::WaitForMessage(std::chrono::nanoseconds longest) {
    if (longest <= std::chrono::nanoseconds(0)) return;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(longest).count();
    const DWORD timeout = ms >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(ms);
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void WriteDebugLine(const wchar_t* line) { OutputDebugStringW(line); }

std::chrono::nanoseconds Win32Clock::Now() const {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    const long long seconds = counter.QuadPart / frequency.QuadPart;
    const long long rest = counter.QuadPart % frequency.QuadPart;
    return std::chrono::seconds(seconds) +
           std::chrono::nanoseconds(rest * 1000000000LL / frequency.QuadPart);
}

}  // namespace reader
