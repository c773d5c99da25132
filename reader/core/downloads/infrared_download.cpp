#include "core/downloads/infrared_download.h"

#include <memory>
#include <new>
#include <string>

#include "core/downloads/infrared_protocol.h"
#include "core/downloads/infrared_record.h"
#include "core/errors.h"

namespace reader {
namespace {

const std::wstring kInsertReading =
    L"Insert Into Murello (Codart,IdLotto,Quantit\u00e0,Data,Rep) Select ?,?,?,?,?";
const std::wstring kReadingFolder = L"C:\\_Letture";
const std::wstring kFullStatusFile = L"C:\\_Letture\\TEMPFOX.TMP";
const std::wstring kFixedStatusFile = L"C:\\TEMPFOX.TMP";
const std::wstring kHandshakeTimeout = L"Errore timeout, rilanciare lo scarico";
const std::wstring kTransferTimeout = L"Errore timeout, rilanciare scarico";
const std::wstring kNotOpened = L"Errore appertura porta, rilanciare scarico";
const std::wstring kWrongCode =
    L"E' stato trovato un codice errato. Il programma continuer\u00e0 a scaricare il rimanente "
    L"del contenuto.";

bool IsFullBuild(const BuildVariant& variant) { return variant.build == ReaderBuild::Murello11500; }

// The records of one download go into one transaction, kept when "EOF" arrives: a download that
// ends early leaves nothing behind, and the reader, which erased nothing, gives everything again.
class ReadingStore : public InfraredRecordSink {
  public:
    explicit ReadingStore(const InfraredDownload& download) : download_(download) {}
    ~ReadingStore() override { Discard(); }
    ReadingStore(const ReadingStore&) = delete;
    ReadingStore& operator=(const ReadingStore&) = delete;

    void Record(const InfraredBuffer& buffer) override {
        if (!db_) {
            db_ = download_.services.Databases().OpenDatabase(download_.dbPath);
            db_->BeginTransaction();
            pending_ = true;
        }
        const std::string record(buffer.begin(), buffer.end());
        // Murello110 has no such check: its cut at the missing "$" raises 5.
        if (download_.variant.build != ReaderBuild::Murello110 && !HasArticleSeparator(record)) {
            download_.services.Ui().ShowMessage(kWrongCode, download_.variant.typeLibraryName,
                                                kBoxIconStop | kBoxOk);
            return;
        }
        const InfraredReading reading = ParseInfraredRecord(record);
        const Value values[] = {reading.article, reading.lot, reading.quantity, reading.date,
                                reading.rep};
        db_->Execute(kInsertReading, values);
    }

    void EndOfRecords() override {
        if (!pending_) return;
        pending_ = false;
        db_->CommitTransaction();
    }

    void Discard() noexcept {
        if (!pending_) return;
        pending_ = false;
        try {
            db_->RollbackTransaction();
        } catch (...) {
            // Closing the database without a commit drops the rows all the same.
        }
    }

  private:
    const InfraredDownload& download_;
    std::unique_ptr<Database> db_;
    bool pending_ = false;
};

void Download(const InfraredDownload& download) {
    ReaderServices& services = download.services;
    const bool full = IsFullBuild(download.variant);
    if (full && !services.Files().FolderExists(kReadingFolder)) {
        services.Files().CreateFolder(kReadingFolder);
    }
    ReadingStore store(download);
    const InfraredOutcome outcome = RunInfraredExchange(services.Infrared(), services.Messages(),
                                                        services.Clock(), download.port, store);
    if (outcome == InfraredOutcome::Downloaded) return;
    store.Discard();
    // A box the host shows without a title carries the component's name.
    const std::wstring& title = download.variant.typeLibraryName;
    switch (outcome) {
        case InfraredOutcome::HandshakeTimeout:
            services.Ui().ShowMessage(kHandshakeTimeout, title, kBoxIconStop | kBoxOk);
            return;
        case InfraredOutcome::OpenFailed:
            services.Ui().ShowMessage(kNotOpened, title, kBoxOk);
            break;
        default:
            services.Ui().ShowMessage(kTransferTimeout, title, kBoxOk);
            break;
    }
    services.Files().WriteTextFile(full ? kFullStatusFile : kFixedStatusFile, "KO\r\n");
}

}  // namespace

void Scarica1Download(const InfraredDownload& download) {
    ReaderServices& services = download.services;
    if (!IsFullBuild(download.variant)) {
        Download(download);
        return;
    }
    try {
        Download(download);
    } catch (const RaisedError& error) {
        services.Ui().ShowMessage(error.description, std::to_wstring(error.number),
                                  kBoxIconStop | kBoxOk);
    } catch (const std::bad_alloc&) {
        services.Ui().ShowMessage(ErrorText(kErrOutOfMemory), std::to_wstring(kErrOutOfMemory),
                                  kBoxIconStop | kBoxOk);
    }
}

}  // namespace reader
