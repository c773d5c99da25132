// The terminal control, as the two terminal forms reach it: late-bound, by its four members. The
// Windows implementation creates the registered control on a form's window; the in-memory one
// stands in front of a scripted terminal for native tests. Failures raise RaisedError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/errors.h"

namespace reader {

class TerminalControl {
  public:
    virtual ~TerminalControl() = default;
    // True when the terminal is not usable: the form then only calls Chiudi.
    virtual bool InErrore() = 0;
    // Sends a file to the terminal. The full build hands over a reference to its text variable,
    // the reduced build a plain text (byValue).
    virtual void InviaFile(const std::wstring& path, bool byValue) = 0;
    // Receives terminal file `numeroFile` into `path`; the number goes by reference, so the
    // control may change the caller's variable.
    virtual void RiceviFile(const std::wstring& path, std::int16_t& numeroFile) = 0;
    virtual void Chiudi() = 0;
};

// Makes one control per transfer, placed on the form that asks (raises 429 when the control
// cannot be created).
class TerminalControlFactory {
  public:
    virtual ~TerminalControlFactory() = default;
    virtual std::unique_ptr<TerminalControl> CreateControl() = 0;
};

}  // namespace reader
