// The downloads through the outside reader program (Scarica2, Scarica_RovovaDeru): start
// IR_Read.exe from the component's own folder, wait until it ends, then store one row of the
// table "murello" per non-blank line of its result file.
#pragma once

#include <string>

#include "core/murello.h"

namespace reader {

struct ReaderServices;

enum class ResultRows {
    Readings,  // Scarica2: article code;quantity
    Labels,    // Scarica_RovovaDeru: label text;container code
};

// Raises 53 when the reader program cannot be started, importing nothing (a file left by an
// earlier run would otherwise be stored again as new readings); shows the "Lettura dati..." box
// when the program left no result file; raises every other fault to the caller with no box of
// its own, the rows stored before it staying.
void DownloadThroughReaderProgram(ResultRows rows, const std::wstring& databasePath,
                                  const std::wstring& resultPath,
                                  const ReaderProgramOptions& options, ReaderServices& services);

}  // namespace reader
