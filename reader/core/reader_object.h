// The reader object: its stored properties, the serial line it sets up when created, the
// assembly of received records, and the serial download. It reaches the system only through
// the services it is given, so the same code runs on Windows and against in-memory services.
#pragma once

#include <memory>
#include <string>

#include "platform/database/database.h"
#include "platform/files/file_system.h"
#include "core/murello.h"
#include "platform/serial/serial_line.h"
#include "platform/ui/user_interface.h"

namespace reader {

struct ReaderServices {
    std::unique_ptr<SerialLine> serial;
    std::shared_ptr<DatabaseEngine> databases;  // one per loaded component
    std::shared_ptr<FileSystem> files;
    std::shared_ptr<UserInterface> ui;
    std::shared_ptr<MessageLoop> messages;
    std::shared_ptr<MonotonicClock> clock;
};

class ReaderObject : public Murello {
  public:
    // Configures the serial line; raises RaisedError when that fails (no object then).
    explicit ReaderObject(ReaderServices services);
    // Closes the port if a download left it open.
    ~ReaderObject() override;

    void Scarica() override;

    // The serial line's notification handler: assembles records ended by LF CR.
    void Seriale_OnComm();

    const std::string& BufferSeriale() const { return bufferSeriale_; }
    const std::string& UltimoRecord() const { return ultimoRecord_; }
    bool RecordPronto() const { return recordPronto_; }

  private:
    void DownloadRecords();
    // Waits for RecordPronto; false when the pen did not answer in time.
    bool WaitForRecord();
    void InsertReading(Database& db);
    void ClosePortQuietly() noexcept;

    ReaderServices services_;
    std::string bufferSeriale_;  // bytes as they came from the line (Windows-1252)
    std::string ultimoRecord_;
    bool recordPronto_ = false;
};

}  // namespace reader
