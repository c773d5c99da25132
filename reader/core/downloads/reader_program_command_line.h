// The command line of the outside reader program IR_Read.exe: its path in the component's own
// folder, one blank, then eleven fields joined by "," with no blanks. A path that holds a blank
// (the program's or the result file's) is wrapped in double quotes; nothing else is escaped.
#pragma once

#include <string>
#include <string_view>

#include "core/murello.h"

namespace reader {

inline constexpr std::wstring_view kReaderProgramName = L"IR_Read.exe";

// The component's folder as CartellaComponente gives it: with a "\" at its end.
std::wstring WithFinalBackslash(std::wstring folder);

// program path, " ", then result path, port, speed code, file mode, CR, LF, the three display
// flags, the fixed "0" and the time-out. The enumerations go as their decimal member values (the
// speed is a code: 1 B115200 ... 5 B9600).
std::wstring ReaderProgramCommandLine(std::wstring_view componentFolder,
                                      std::wstring_view resultPath,
                                      const ReaderProgramOptions& options);

}  // namespace reader
