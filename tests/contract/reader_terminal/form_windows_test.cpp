// The forms' hidden windows on Windows (with the registered control, which here answers
// InErrore True): made by the first load of each form, never shown, and gone with their window
// class when the component releases its forms on unloading.
#include <windows.h>
// after windows.h
#include <objbase.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/terminal/win32_terminal_forms.h"

namespace reader {
namespace {

constexpr wchar_t kClassName[] = L"MurelloCollegamento";

BOOL CALLBACK AddFormWindow(HWND window, LPARAM list) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != kClassName) return TRUE;
    wchar_t caption[64] = {};
    wchar_t label[64] = {};
    GetWindowTextW(window, caption, 64);
    GetWindowTextW(FindWindowExW(window, nullptr, L"STATIC", nullptr), label, 64);
    reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(
        std::wstring(caption) + L"|" + label + (IsWindowVisible(window) ? L"|shown" : L""));
    return TRUE;
}

// "caption|label[|shown]" of each form window of this thread.
std::vector<std::wstring> FormWindows() {
    std::vector<std::wstring> found;
    EnumThreadWindows(GetCurrentThreadId(), AddFormWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(TerminalFormWindows, LiveFromTheFirstLoadUntilTheComponentReleasesItsForms) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    SetEnvironmentVariableW(L"VXTERM_STANDIN_DIR", nullptr);  // a terminal that is not there
    {
        // The reduced forms touch no folder of the machine.
        const auto forms = ComponentTerminalForms(VariantOf(ReaderBuild::Murello113));
        EXPECT_TRUE(FormWindows().empty()) << "no window before the first load";
        forms->CaricaVX().Load();
        forms->CaricaVX().Unload();
        EXPECT_EQ(FormWindows(),
                  std::vector<std::wstring>{L"Collegamento|Upload dati in corso..."});
        forms->ScaricaVX().NumeroFile = 1;
        forms->ScaricaVX().Load();
        forms->ScaricaVX().Unload();
        forms->CaricaVX().Load();
        EXPECT_EQ(FormWindows().size(), 2u) << "one window per form, kept between loads";
    }
    ReleaseComponentTerminalForms();
    EXPECT_TRUE(FormWindows().empty());
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &info));
    CoUninitialize();
}

}  // namespace
}  // namespace reader
