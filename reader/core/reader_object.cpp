#include "core/reader_object.h"

#include "core/downloads/reader_program_download.h"
#include "core/downloads/terminal_import.h"
#include "core/downloads/infrared_download.h"

namespace reader {
namespace {

TerminalBuild TerminalBuildOf(const BuildVariant& variant) {
    return variant.build == ReaderBuild::Murello113 ? TerminalBuild::Murello113
                                                    : TerminalBuild::Full;
}

}  // namespace

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

void ReaderObject::Scarica3() {
    ImportTerminalFile(TerminalFile::Scarica3, TerminalBuildOf(variant_), services_, DbPath, IdUt);
}
void ReaderObject::Scarica4() {
    ImportTerminalFile(TerminalFile::Scarica4, TerminalBuildOf(variant_), services_, DbPath, IdUt);
}
void ReaderObject::Scarica5() {
    ImportTerminalFile(TerminalFile::Scarica5, TerminalBuildOf(variant_), services_, DbPath, IdUt);
}
void ReaderObject::Scarica_RimesseOF() {
    ImportTerminalFile(TerminalFile::RimesseOF, TerminalBuildOf(variant_), services_, DbPath, IdUt);
}

void ReaderObject::Upload1() {
    // The full build's form reports its own errors; Murello113's raise them to the caller.
    CaricaVXForm& form = services_.CaricaVX();
    form.Load();
    form.Unload();
}

void ReaderObject::Scarica1() { Scarica1Download({services_, variant_, Porta, DbPath}); }

}  // namespace reader
