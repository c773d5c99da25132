// The reader object: the façade of the class Murello. It holds the stored properties and the
// object's outside services, each made when a download first needs it, and hands every method to
// its download path (core/downloads). It reaches the system only through those services, so the
// same code runs on Windows and against in-memory services.
#pragma once

#include <string>

#include "core/build_variant.h"
#include "core/downloads/pen_download.h"
#include "core/murello.h"
#include "core/services.h"

namespace reader {

class ReaderObject : public Murello {
  public:
    // Makes no service yet: creation cannot fail for a service a caller never uses.
    explicit ReaderObject(ReaderServices services, BuildVariant variant = {})
        : services_(std::move(services)), variant_(std::move(variant)) {}

    const BuildVariant& Variant() const { return variant_; }

    void Scarica() override;
    void Scarica1() override;
    void Scarica2(std::wstring& PercorsoMDB, std::wstring& PercorsoFile,
                  ReaderProgramOptions& options) override;
    void Scarica_RovovaDeru(std::wstring& MDB_TabellaTemp, std::wstring& FileTxtTemp,
                            ReaderProgramOptions& options) override;
    // The terminal file imports (core/downloads/terminal_import).
    void Scarica3() override;
    void Scarica4() override;
    void Scarica5() override;
    void Scarica_RimesseOF() override;
    // Loads and unloads CaricaVX, whose load sends the upload file to the terminal.
    void Upload1() override;

    // The serial pen download and its state (BufferSeriale, UltimoRecord, RecordPronto).
    PenDownload& Pen() { return pen_; }
    const std::string& BufferSeriale() const { return pen_.BufferSeriale(); }
    const std::string& UltimoRecord() const { return pen_.UltimoRecord(); }
    bool RecordPronto() const { return pen_.RecordPronto(); }

  private:
    ReaderServices services_;
    BuildVariant variant_;
    PenDownload pen_{services_};  // ends before the services it uses
};

}  // namespace reader
