#include "platform/terminal/win32_form_window.h"

namespace reader {
namespace {

constexpr wchar_t kClassName[] = L"MurelloCollegamento";
constexpr wchar_t kCaption[] = L"Collegamento";
constexpr int kLabelId = 1;  // Eti

bool RegisterFormClass(HMODULE module) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // The system's own procedure: no code of the component runs for these windows, so none can
    // be left behind when the component unloads.
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kClassName;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND FormWindow::Window() {
    if (window_ && IsWindow(window_.get())) return window_.get();
    window_.release();  // closed by someone else: nothing left to own
    if (!RegisterFormClass(module_)) return nullptr;
    window_.reset(CreateWindowExW(0, kClassName, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 300, 100, nullptr, nullptr, module_, nullptr));
    if (!window_) return nullptr;
    CreateWindowExW(0, L"STATIC", labelCaption_.c_str(), WS_CHILD | WS_VISIBLE, 10, 10, 260, 20,
                    window_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelId)), module_,
                    nullptr);
    return window_.get();
}

void FormWindow::Destroy() noexcept {
    const HWND window = window_.release();
    if (!window || !IsWindow(window)) return;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        DestroyWindow(window);
    } else {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

void UnregisterFormWindowClass(HMODULE module) noexcept { UnregisterClassW(kClassName, module); }

}  // namespace reader
