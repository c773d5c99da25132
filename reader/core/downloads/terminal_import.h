// The terminal file imports (Scarica3, Scarica4, Scarica5, Scarica_RimesseOF): the hidden form
// ScaricaVX receives one file of the terminal, each line becomes one row of the file's table,
// and the file gets a new name so that it is never imported twice.
#pragma once

#include <cstdint>
#include <string>

#include "core/database.h"
#include "core/downloads/terminal_lines.h"
#include "core/file_system.h"
#include "core/forms.h"
#include "core/user_interface.h"
#include "core/wall_clock.h"

namespace reader {

struct TerminalImportServices {
    FileSystem& files;
    DatabaseEngine& databases;
    UserInterface& ui;
    const WallClock& clock;
    ScaricaVXForm& form;
};

enum class TerminalBuild {
    // A fresh file name in "C:\_Letture" per download; errors shown in a box, nothing raised.
    Full,
    // Always "C:\TEMPFOX.TMP", archived into "C:\_Letture" by Scarica4 and Scarica5; errors
    // raised to the caller as RaisedError. Has no Scarica_RimesseOF.
    Murello113,
};

// The whole method. The rows of one import are stored in one transaction, committed however
// the import ends (rows before a failing line stay); a process killed during the import leaves
// the table as it was and the file under its download name.
void ImportTerminalFile(TerminalFile file, TerminalBuild build,
                        const TerminalImportServices& services, const std::wstring& dbPath,
                        std::int16_t idUt);

}  // namespace reader
