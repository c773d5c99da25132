#include "core/reader_object.h"

#include "core/downloads/reader_program_download.h"

namespace reader {

void ReaderObject::Scarica() { pen_.Scarica(Porta, DbPath); }

void ReaderObject::Scarica2(std::wstring& PercorsoMDB, std::wstring& PercorsoFile,
                            ReaderProgramOptions& options) {
    DownloadThroughReaderProgram(ResultRows::Readings, PercorsoMDB, PercorsoFile, options,
                                 services_);
}

void ReaderObject::Scarica_RovovaDeru(std::wstring& MDB_TabellaTemp, std::wstring& FileTxtTemp,
                                      ReaderProgramOptions& options) {
    DownloadThroughReaderProgram(ResultRows::Labels, MDB_TabellaTemp, FileTxtTemp, options,
                                 services_);
}

}  // namespace reader
