// What the terminal control's contract suite runs against: natively the in-memory terminal, in
// the Windows build the registered control (the stand-in "VXTerm.ctlVXTerm" under Wine). Each
// bench scripts its terminal and reaches the files that the transfers read and write.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/errors.h"
#include "platform/terminal/terminal_control.h"

namespace reader {

class TerminalBench {
  public:
    virtual ~TerminalBench() = default;
    virtual TerminalControlFactory& Controls() = 0;
    // An existing, empty folder of this bench alone (no trailing "\").
    virtual std::wstring Folder() const = 0;
    virtual void PutFile(const std::wstring& path, const std::string& bytes) = 0;
    virtual std::optional<std::string> GetFile(const std::wstring& path) = 0;

    // The simulated terminal, as the next control made will find it.
    virtual void SetTerminalFile(std::int16_t number, const std::string& bytes) = 0;
    virtual void SetInErrore(bool inErrore) = 0;
    virtual void SetFailure(const std::wstring& member, const RaisedError& error) = 0;
    // What the last InviaFile delivered to the terminal.
    virtual std::optional<std::string> Sent() = 0;
};
std::unique_ptr<TerminalBench> MakeTerminalBench();

}  // namespace reader
