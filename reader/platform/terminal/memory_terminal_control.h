// An in-memory terminal behind an in-memory control, for native tests: the terminal's files,
// InErrore and failures are scripted, received files land in a MemoryFileSystem, and every call
// is recorded with how its arguments were passed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/memory_file_system.h"
#include "platform/terminal/terminal_control.h"

namespace reader {

class MemoryTerminal : public TerminalControlFactory {
  public:
    explicit MemoryTerminal(MemoryFileSystem& files) : files_(files) {}

    std::unique_ptr<TerminalControl> CreateControl() override;

    bool registered = true;  // false: CreateControl raises 429
    bool inErrore = false;
    std::map<std::int16_t, std::string> terminalFiles;  // by number, as bytes
    std::map<std::wstring, RaisedError> failures;       // member name -> what it raises
    std::map<std::wstring, std::string> sent;           // path -> bytes sent
    // "create", "InErrore", "RiceviFile \"C:\x\" byref 1", "InviaFile byval \"C:\y\"",
    // "Chiudi", "release".
    std::vector<std::wstring> calls;
    int liveControls = 0;

  private:
    friend class MemoryTerminalControl;
    MemoryFileSystem& files_;
};

}  // namespace reader
