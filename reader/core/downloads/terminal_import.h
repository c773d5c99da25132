// The terminal file imports (Scarica3, Scarica4, Scarica5, Scarica_RimesseOF): the hidden form
// ScaricaVX receives one file of the terminal, each line becomes one row of the file's table,
// and the file gets a new name so that it is never imported twice.
#pragma once

#include <cstdint>
#include <string>

#include "core/downloads/terminal_lines.h"
#include "core/services.h"

namespace reader {

enum class TerminalBuild {
    // A fresh file name in "C:\_Letture" per download; errors shown in a box, nothing raised.
    Full,
    // Always "C:\TEMPFOX.TMP", archived into "C:\_Letture" by Scarica4 and Scarica5; errors
    // raised to the caller as RaisedError. Has no Scarica_RimesseOF.
    Murello113,
};

// The whole method, over the object's files, database engine, boxes, wall clock and ScaricaVX
// form (each made on first use, inside the error trap). The rows of one import are stored in one
// transaction, committed however the import ends (rows before a failing line stay); a process
// killed during the import leaves the table as it was and the file under its download name.
void ImportTerminalFile(TerminalFile file, TerminalBuild build, ReaderServices& services,
                        const std::wstring& dbPath, std::int16_t idUt);

}  // namespace reader
