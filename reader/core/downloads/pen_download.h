// The serial download from the barcode pen (Scarica): its line, made and configured on first
// use; the assembly of received records by the line's notification handler; and the protocol,
// one "c" per reading, each answer inserted as one row of "Murello".
#pragma once

#include <cstdint>
#include <string>

#include "core/services.h"

namespace reader {

class PenDownload {
  public:
    // Touches no service yet.
    explicit PenDownload(ReaderServices& services) : services_(services) {}
    // Closes the port if a download left it open, and unbinds the handler.
    ~PenDownload();
    PenDownload(const PenDownload&) = delete;
    PenDownload& operator=(const PenDownload&) = delete;

    // The whole method with its error trap: every failure is shown in a box, never raised.
    void Scarica(std::int32_t porta, const std::wstring& dbPath);

    // The line, made on first use, bound to Seriale_OnComm and configured in the serial
    // control's order; raises RaisedError when it cannot be made or configured.
    SerialLine& Line();

    // The line's notification handler: assembles records ended by LF CR.
    void Seriale_OnComm();

    const std::string& BufferSeriale() const { return bufferSeriale_; }
    const std::string& UltimoRecord() const { return ultimoRecord_; }
    bool RecordPronto() const { return recordPronto_; }

  private:
    void DownloadRecords(std::int32_t porta, const std::wstring& dbPath);
    // Waits for RecordPronto; false when the pen did not answer in time.
    bool WaitForRecord();
    void InsertReading(Database& db);
    void ClosePortQuietly() noexcept;

    ReaderServices& services_;
    SerialLine* line_ = nullptr;  // once made and configured
    std::string bufferSeriale_;   // bytes as they came from the line (Windows-1252)
    std::string ultimoRecord_;
    bool recordPronto_ = false;
};

}  // namespace reader
