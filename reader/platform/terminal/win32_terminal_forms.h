// The two terminal forms of the loaded component on Windows: each with its hidden window and a
// control made on that window for every load. One set serves every object of the component; the
// windows are destroyed when the component unloads.
#pragma once

#include <windows.h>

#include <memory>

#include "core/build_variant.h"
#include "core/terminal_forms.h"
#include "platform/files/win32_file_system.h"
#include "platform/terminal/win32_form_window.h"
#include "platform/terminal/win32_terminal_control.h"
#include "platform/ui/win32_user_interface.h"

namespace reader {

class Win32TerminalForms {
  public:
    Win32TerminalForms(HMODULE module, const BuildVariant& variant);
    ~Win32TerminalForms() { DestroyWindows(); }
    Win32TerminalForms(const Win32TerminalForms&) = delete;
    Win32TerminalForms& operator=(const Win32TerminalForms&) = delete;

    ScaricaVXLogic& ScaricaVX() { return scarica_; }
    CaricaVXLogic& CaricaVX() { return carica_; }
    void DestroyWindows() noexcept;
    // Forgets the windows without destroying them (they end with the process).
    void AbandonWindows() noexcept;

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

// The component's forms, made on first use for its build.
std::shared_ptr<Win32TerminalForms> ComponentTerminalForms(const BuildVariant& variant);
// The component unloads (DllCanUnloadNow said yes, or FreeLibrary): destroys the forms' windows
// and takes away their window class.
void ReleaseComponentTerminalForms() noexcept;
// The process ends: the windows go with it, and nothing calls the window manager from the
// loader's lock.
void AbandonComponentTerminalForms() noexcept;

}  // namespace reader
