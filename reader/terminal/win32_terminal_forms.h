// The two terminal forms of one loaded component on Windows: each with its hidden window and a
// control made on that window for every load. The component keeps one set for as long as it is
// loaded and destroys the windows when it unloads.
#pragma once

#include <windows.h>

#include "core/win32_file_system.h"
#include "core/win32_user_interface.h"
#include "terminal/terminal_forms.h"
#include "terminal/win32_form_window.h"
#include "terminal/win32_terminal_control.h"

namespace reader {

class Win32TerminalForms {
  public:
    // reduced: the forms of Murello113.
    Win32TerminalForms(HMODULE module, bool reduced);
    ~Win32TerminalForms() { DestroyWindows(); }
    Win32TerminalForms(const Win32TerminalForms&) = delete;
    Win32TerminalForms& operator=(const Win32TerminalForms&) = delete;

    ScaricaVXLogic& ScaricaVX() { return scarica_; }
    CaricaVXLogic& CaricaVX() { return carica_; }
    void DestroyWindows() noexcept;

  private:
    Win32FileSystem files_;
    Win32UserInterface ui_;
    FormWindow scaricaWindow_;
    FormWindow caricaWindow_;
    Win32TerminalControls scaricaControls_;
    Win32TerminalControls caricaControls_;
    ScaricaVXLogic scarica_;
    CaricaVXLogic carica_;
};

}  // namespace reader
