// The window of a terminal form: a hidden top-level window (never message-only, so that a
// control can live on it) with the caption "Collegamento" and the label Eti. The form keeps it
// for as long as the component is loaded.
#pragma once

#include <windows.h>

#include <string>

#include "kit/unique_handle.h"

namespace reader {

class FormWindow {
  public:
    FormWindow(HMODULE module, std::wstring labelCaption)
        : module_(module), labelCaption_(std::move(labelCaption)) {}
    ~FormWindow() { Destroy(); }
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // Creates the window on first use; null when it cannot be created.
    HWND Window();
    // Destroys it on its own thread, or asks that thread to close it.
    void Destroy() noexcept;
    // Forgets it without destroying it.
    void Abandon() noexcept { window_.release(); }

  private:
    HMODULE module_;
    std::wstring labelCaption_;
    kit::UniqueWindow window_;
};

// The forms' window class is registered with the component's module: a module that is unloaded
// must take it away, after its forms' windows are gone.
void UnregisterFormWindowClass(HMODULE module) noexcept;

}  // namespace reader
