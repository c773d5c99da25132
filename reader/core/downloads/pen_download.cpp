// The serial download: one "c" per reading, each answer inserted as one row of "Murello".
#include <chrono>
#include <new>
#include <string>

#include "core/conversions.h"
#include "core/reader_object.h"
#include "core/text_encoding.h"

namespace reader {
namespace {

using std::chrono::nanoseconds;
using std::chrono::seconds;

const std::wstring kInsertReading =
    L"Insert Into Murello (Codart,[id sottoOrd],IdLotto,Quantit\u00e0) Select ?,?,?,?";
const std::wstring kTimeoutText =
    L"Controllare il collegamento con la penna ottica e le impostazioni della porta seriale.";
const std::wstring kTimeoutTitle = L"TimeOut Error";
const std::wstring kPortBusyText =
    L"La porta selezionata risulta gi\u00e0 aperta da un altro programma.";

bool IsEndMarker(const std::string& record) {
    static constexpr std::string_view kMarker = "EMPTY";
    if (record.size() != kMarker.size()) return false;
    for (std::size_t i = 0; i < record.size(); ++i) {
        char c = record[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != kMarker[i]) return false;
    }
    return true;
}

// Takes the text before the first ";" off the front of rest. Without a ";" the host's cut
// fails with "invalid procedure call".
std::string CutField(std::string& rest) {
    const auto separator = rest.find(';');
    if (separator == std::string::npos)
        throw ReaderError(kErrInvalidArgument, 0, L"Mid (reading field)");
    std::string field = rest.substr(0, separator);
    rest.erase(0, separator + 1);
    return field;
}

// The host timer is taken in whole seconds (rounded half to even) when the wait starts.
nanoseconds RoundToWholeSecond(nanoseconds time) {
    const auto whole = std::chrono::floor<seconds>(time);
    const nanoseconds fraction = time - whole;
    const bool odd = whole.count() % 2 != 0;
    if (fraction > std::chrono::milliseconds(500) ||
        (fraction == std::chrono::milliseconds(500) && odd)) {
        return whole + seconds(1);
    }
    return whole;
}

}  // namespace

void ReaderObject::Scarica() {
    UserInterface& ui = *services_.ui;
    try {
        DownloadRecords();
    } catch (const RaisedError& error) {
        ui.Beep();
        if (error.number == kErrPortAlreadyOpen) {
            ui.ShowMessage(kPortBusyText, ErrorBoxTitle(kErrPortAlreadyOpen),
                           kBoxIconStop | kBoxOk);
        } else {
            ui.ShowMessage(error.description, ErrorBoxTitle(error.number), kBoxIconStop | kBoxOk);
        }
    } catch (const std::bad_alloc&) {
        ui.Beep();
        ui.ShowMessage(ErrorText(kErrOutOfMemory), ErrorBoxTitle(kErrOutOfMemory),
                       kBoxIconStop | kBoxOk);
    }
    // However the download ended, the port is free for the next one.
    ClosePortQuietly();
}

void ReaderObject::DownloadRecords() {
    SerialLine& line = *services_.serial;
    line.SetCommPort(LongToInteger(Porta));
    line.SetPortOpen(true);
    ultimoRecord_.clear();
    bufferSeriale_.clear();
    recordPronto_ = false;
    const std::unique_ptr<Database> db = services_.databases->OpenDatabase(DbPath);

    while (!IsEndMarker(ultimoRecord_)) {
        line.Output("c");
        if (!WaitForRecord()) {
            services_.ui->ShowMessage(kTimeoutText, kTimeoutTitle, kBoxIconStop | kBoxOk);
            line.SetPortOpen(false);
            return;
        }
        if (!IsEndMarker(ultimoRecord_)) InsertReading(*db);
        recordPronto_ = false;
    }
    line.SetPortOpen(false);
}

bool ReaderObject::WaitForRecord() {
    const MonotonicClock& clock = *services_.clock;
    const nanoseconds start = RoundToWholeSecond(clock.Now());
    const nanoseconds deadline = start + seconds(2);
    while (!recordPronto_) {
        services_.messages->ProcessPendingMessages();
        const nanoseconds now = clock.Now();
        if (now - start > seconds(2)) return false;
        if (recordPronto_) break;
        // Sleep until something arrives or the time is up: no polling.
        services_.messages->WaitForMessage(deadline - now + std::chrono::milliseconds(1));
    }
    return true;
}

void ReaderObject::InsertReading(Database& db) {
    std::string rest = ultimoRecord_;
    const std::string article = CutField(rest);
    const std::string subOrder = CutField(rest);
    const std::string lot = CutField(rest);
    std::wstring quantity = FromWindows1252(rest);
    for (wchar_t& c : quantity) {
        if (c == L'.') c = L',';
    }
    const Value values[] = {
        FromWindows1252(article),
        TextToLong(FromWindows1252(subOrder)),
        TextToLong(FromWindows1252(lot)),
        TextToDouble(quantity),
    };
    db.Execute(kInsertReading, values);
}

}  // namespace reader
