// The infrared reader's data record: any bytes. What holds: a record gives a reading or raises
// 5 (a "$" or ";" missing), 13 or 6 (a value that does not convert), never anything else; a
// record without the "$" always raises 5; the article is exactly the text before the first "$";
// and a reading written back in the record's own form reads back as the same reading.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "core/downloads/infrared_record.h"
#include "core/errors.h"
#include "core/text_encoding.h"
#include "fuzz_check.h"

namespace {

using namespace reader;

std::optional<InfraredReading> Parse(std::string_view record) {
    try {
        return ParseInfraredRecord(record);
    } catch (const RaisedError& error) {
        FUZZ_CHECK(error.number == kErrInvalidArgument || error.number == kErrTypeMismatch ||
                   error.number == kErrOverflow);
        return std::nullopt;
    }
}

// The record's own form: the quantity with a "." for its decimal point, the date yyyymmdd.
std::string Written(const InfraredReading& reading) {
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "$%d;%.17g;%04d%02d%02d;%d;", reading.lot,
                  reading.quantity, reading.date.year, reading.date.month, reading.date.day,
                  reading.rep);
    return ToWindows1252(reading.article) + numbers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string record(reinterpret_cast<const char*>(data), size);
    const auto reading = Parse(record);
    if (!HasArticleSeparator(record)) FUZZ_CHECK(!reading);
    if (!reading) return 0;
    FUZZ_CHECK(reading->article == FromWindows1252(record.substr(0, record.find('$'))));
    FUZZ_CHECK(std::isfinite(reading->quantity));
    const auto again = Parse(Written(*reading));
    FUZZ_CHECK(again && *again == *reading);
    return 0;
}
