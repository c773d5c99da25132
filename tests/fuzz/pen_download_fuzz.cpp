// The serial download from the pen: any answers, cut into any pieces, ended by LF CR or never
// ended. What holds: the records are assembled exactly (each terminated answer is one record),
// each reading's four fields are cut at the first three ";" and reach the database as one row,
// the download stops at "EMPTY", at the first silent answer (the time-out box) or at the first
// bad reading (one box with the error's number and text), and the port is closed however it
// ended. The database is a recorder here: the rows as the download hands them over.
#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/conversions.h"
#include "core/errors.h"
#include "core/reader_object.h"
#include "core/text_encoding.h"
#include "fuzz_check.h"
#include "platform/serial/memory_serial_line.h"
#include "platform/ui/memory_user_interface.h"

namespace {

using namespace reader;

struct RecordingDatabase : Database {
    explicit RecordingDatabase(std::vector<std::vector<Value>>& rows) : rows_(rows) {}
    void Execute(const std::wstring&, std::span<const Value> values) override {
        rows_.emplace_back(values.begin(), values.end());
    }
    void AppendRow(const std::wstring&, std::span<const NamedValue>) override {}
    void BeginTransaction() override {}
    void CommitTransaction() override {}
    void RollbackTransaction() override {}
    std::vector<std::vector<Value>>& rows_;
};

struct RecordingEngine : DatabaseEngine {
    std::unique_ptr<Database> OpenDatabase(const std::wstring&) override {
        return std::make_unique<RecordingDatabase>(rows);
    }
    std::vector<std::vector<Value>> rows;
};

// An answer's text holds no LF CR of its own: the terminator alone ends a record.
std::string WithoutTerminators(std::string text) {
    for (std::size_t at; (at = text.find("\n\r")) != std::string::npos;) text.erase(at, 2);
    return text;
}

bool IsEmptyMarker(const std::string& record) {
    if (record.size() != 5) return false;
    for (std::size_t i = 0; i < 5; ++i) {
        if ((record[i] & ~0x20) != "EMPTY"[i]) return false;
    }
    return true;
}

// What one reading should become, or the error number it should stop the download with.
struct Expected {
    std::vector<Value> row;
    std::int32_t error = 0;
};

Expected Reading(const std::string& record) {
    Expected expected;
    std::string fields[4];
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t cut = record.find(';', at);
        if (cut == std::string::npos) {
            expected.error = kErrInvalidArgument;
            return expected;
        }
        fields[i] = record.substr(at, cut - at);
        at = cut + 1;
    }
    fields[3] = record.substr(at);
    for (char& c : fields[3]) c = c == '.' ? ',' : c;
    try {
        expected.row = {FromWindows1252(fields[0]), TextToLong(FromWindows1252(fields[1])),
                        TextToLong(FromWindows1252(fields[2])),
                        TextToDouble(FromWindows1252(fields[3]))};
    } catch (const RaisedError& error) {
        expected.error = error.number;
    }
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    auto loop = std::make_shared<MemoryMessageLoop>();
    auto serial = std::make_shared<MemorySerialLine>(*loop);
    auto ui = std::make_shared<MemoryUserInterface>();
    auto engine = std::make_shared<RecordingEngine>();

    // The script, and what the download should make of it.
    std::vector<std::vector<Value>> rows;
    std::optional<std::wstring> box;  // the title of the one box, if any
    bool decided = false;
    int requests = 0;
    const int answers = input.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < answers; ++i) {
        const bool terminated = input.ConsumeIntegralInRange(0, 7) != 0;
        const std::string record = WithoutTerminators(input.ConsumeRandomLengthString(48));
        const std::string bytes = terminated ? record + "\n\r" : record;
        MemorySerialLine::Response response;
        response.delay = std::chrono::milliseconds(1);
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, 8);
            response.pieces.push_back(bytes.substr(at, piece));
            at += piece;
        }
        serial->script.push_back(response);
        if (decided) continue;
        ++requests;
        if (!terminated) {
            box = L"TimeOut Error";
            decided = true;
        } else if (IsEmptyMarker(record)) {
            decided = true;
        } else if (Expected reading = Reading(record); reading.error != 0) {
            box = ErrorBoxTitle(reading.error);
            decided = true;
        } else {
            rows.push_back(reading.row);
        }
    }
    if (!decided) {
        ++requests;  // answered by silence
        box = L"TimeOut Error";
    }

    ReaderServices services;
    services.serial = LazyService<SerialLine>::Of(serial);
    services.databases = LazyService<DatabaseEngine>::Of(engine);
    services.ui = LazyService<UserInterface>::Of(ui);
    services.messages = LazyService<MessageLoop>::Of(loop);
    services.clock = LazyService<MonotonicClock>::Of(loop);
    ReaderObject object(std::move(services));
    object.Porta = 3;
    object.DbPath = L"C:\\letture.db";
    object.Scarica();

    FUZZ_CHECK(!serial->portOpen);
    FUZZ_CHECK(serial->written == std::string(requests, 'c'));
    FUZZ_CHECK(engine->rows == rows);
    FUZZ_CHECK(ui->boxes.size() == (box ? 1u : 0u));
    if (box) FUZZ_CHECK(ui->boxes[0].title == *box);
    return 0;
}
