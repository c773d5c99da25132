#include "core/downloads/pen_download.h"

#include <chrono>
#include <new>
#include <string>

#include "core/conversions.h"
#include "core/pump_until.h"
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

PenDownload::~PenDownload() {
    ClosePortQuietly();
    if (line_) line_->SetOnComm(nullptr);
}

SerialLine& PenDownload::Line() {
    if (line_) return *line_;
    SerialLine& line = services_.Serial();
    line.SetOnComm([this] { Seriale_OnComm(); });
    // The order of the serial control's own configuration, kept as the device expects it.
    line.SetRThreshold(1);
    line.SetSettings("38400,n,8,1");
    line.SetHandshaking(0);
    line.SetInBufferSize(1024);
    line.SetOutBufferSize(512);
    line.SetSThreshold(1);
    line.SetInputLen(0);
    line.SetEOFEnable(false);
    line.SetNullDiscard(false);
    line.SetRTSEnable(false);
    line.SetDTREnable(false);
    line_ = &line;
    return line;
}

void PenDownload::Seriale_OnComm() {
    if (!line_) return;
    SerialLine& line = *line_;
    if (line.CommEvent() != kCommEventReceive) return;
    bufferSeriale_ += line.Input();
    // Only the end is examined: the pen sends one record per request.
    if (bufferSeriale_.ends_with("\n\r")) {
        ultimoRecord_ = bufferSeriale_.substr(0, bufferSeriale_.size() - 2);
        bufferSeriale_.clear();
        recordPronto_ = true;
    }
}

void PenDownload::ClosePortQuietly() noexcept {
    try {
        if (line_ && line_->PortOpen()) line_->SetPortOpen(false);
    } catch (...) {
        // Closing is best effort; the line is released with the object anyway.
    }
}

void PenDownload::Scarica(std::int32_t porta, const std::wstring& dbPath) {
    UserInterface& ui = services_.Ui();
    try {
        DownloadRecords(porta, dbPath);
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

void PenDownload::DownloadRecords(std::int32_t porta, const std::wstring& dbPath) {
    SerialLine& line = Line();
    line.SetCommPort(LongToInteger(porta));
    line.SetPortOpen(true);
    ultimoRecord_.clear();
    bufferSeriale_.clear();
    recordPronto_ = false;
    const std::unique_ptr<Database> db = services_.Databases().OpenDatabase(dbPath);

    while (!IsEndMarker(ultimoRecord_)) {
        line.Output("c");
        if (!WaitForRecord()) {
            services_.Ui().ShowMessage(kTimeoutText, kTimeoutTitle, kBoxIconStop | kBoxOk);
            line.SetPortOpen(false);
            return;
        }
        if (!IsEndMarker(ultimoRecord_)) InsertReading(*db);
        recordPronto_ = false;
    }
    line.SetPortOpen(false);
}

bool PenDownload::WaitForRecord() {
    const MonotonicClock& clock = services_.Clock();
    const nanoseconds start = RoundToWholeSecond(clock.Now());
    return PumpUntil(services_.Messages(), clock, start + seconds(2),
                     [this] { return recordPronto_; });
}

void PenDownload::InsertReading(Database& db) {
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
