#include "core/win32_dialogs.h"

#include <windows.h>

namespace lanvik {

int Win32Dialogs::ShowMessage(const std::string& text, const std::string& title, unsigned style) {
    // No owner window, so that the main thread's message loop keeps running meanwhile.
    return MessageBoxA(nullptr, text.c_str(), title.c_str(), style);
}

}  // namespace lanvik
