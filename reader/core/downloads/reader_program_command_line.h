// The command line of the outside reader program IR_Read.exe: its path in the component's own
// folder, one blank, then eleven fields joined by "," with no blanks. A path that holds a blank
// (the program's or the result file's) is wrapped in double quotes; nothing else is escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace reader {

// The arguments of Scarica2 and Scarica_RovovaDeru after the two paths, with their defaults.
// The enumerations travel as their decimal member values (Baud is a code, not a speed).
struct ReaderProgramOptions {
    std::int32_t portaCom = 1;  // Scarica_COM: 1 to 8 for COM1 to COM8
    std::int32_t baud = 1;      // Scarica_Baud: 1 B115200 ... 5 B9600
    std::int32_t modFile = 1;   // Scarica_ModFile: 1 Sovrascrivi, 2 Accoda, 3 Rinomina, 4 Auto
    bool cr = true;
    bool lf = true;
    bool mostraErrore = false;
    bool mostraFile = false;
    bool mostraMaschera = false;
    std::int16_t timeout = 10;
};

inline constexpr std::wstring_view kReaderProgramName = L"IR_Read.exe";

// The component's folder as CartellaComponente gives it: with a "\" at its end.
std::wstring WithFinalBackslash(std::wstring folder);

// program path, " ", then result path, port, speed code, file mode, CR, LF, the three display
// flags, the fixed "0" and the time-out.
std::wstring ReaderProgramCommandLine(std::wstring_view componentFolder,
                                      std::wstring_view resultPath,
                                      const ReaderProgramOptions& options);

}  // namespace reader
