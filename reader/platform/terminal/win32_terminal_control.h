// The registered terminal control ("VXTerm.ctlVXTerm"), created in process for each transfer,
// given a client site on its form's window when it offers IOleObject, and driven only through
// IDispatch::Invoke by its dispatch identifiers.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "platform/terminal/terminal_control.h"

namespace reader {

class Win32TerminalControls : public TerminalControlFactory {
  public:
    // formWindow gives the form's window (made on first use; null when there is none).
    explicit Win32TerminalControls(std::function<HWND()> formWindow)
        : formWindow_(std::move(formWindow)) {}
    std::unique_ptr<TerminalControl> CreateControl() override;

  private:
    std::function<HWND()> formWindow_;
};

}  // namespace reader
