// The conversions of device text under the Italian rules: whole numbers, decimal numbers and
// dates, from any bytes a device may send (read as Windows-1252). What holds: each conversion
// gives a value or raises 13 (type mismatch) or 6 (overflow) with the catalogue's text, never
// anything else; decimal numbers are finite; and what is written back the Italian way (decimal
// comma, day first) reads back as the same value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "core/conversions.h"
#include "core/errors.h"
#include "core/text_encoding.h"
#include "fuzz_check.h"

namespace {

using namespace reader;

// Runs a conversion; nothing when it raised one of the documented errors.
template <typename Convert>
auto Try(Convert convert) -> std::optional<decltype(convert())> {
    try {
        return convert();
    } catch (const RaisedError& error) {
        FUZZ_CHECK(error.number == kErrTypeMismatch || error.number == kErrOverflow);
        FUZZ_CHECK(error.description == ErrorText(error.number));
        return std::nullopt;
    }
}

std::wstring ItalianNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    std::wstring wide;
    for (const char* c = text; *c != '\0'; ++c) wide += *c == '.' ? L',' : wchar_t(*c);
    return wide;
}

std::wstring DayFirst(const Date& date) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%02d/%02d/%04d", date.day, date.month, date.year);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text =
        FromWindows1252(std::string_view(reinterpret_cast<const char*>(data), size));

    if (const auto number = Try([&] { return TextToDouble(text); })) {
        FUZZ_CHECK(std::isfinite(*number));
        const auto again = Try([&] { return TextToDouble(ItalianNumber(*number)); });
        FUZZ_CHECK(again && *again == *number);
    }
    if (const auto whole = Try([&] { return TextToLong(text); })) {
        const auto again = Try([&] { return TextToLong(std::to_wstring(*whole)); });
        FUZZ_CHECK(again && *again == *whole);
        const auto narrow = Try([&] { return LongToInteger(*whole); });
        FUZZ_CHECK(narrow.has_value() == (*whole >= -32768 && *whole <= 32767));
    }
    if (const auto date = Try([&] { return TextToDate(text); })) {
        FUZZ_CHECK(date->month >= 1 && date->month <= 12 && date->day >= 1 && date->day <= 31);
        FUZZ_CHECK(date->year >= 100 && date->year <= 9999);
        const std::string iso = IsoDateText(*date);
        const auto fromIso = Try([&] { return TextToDate(FromWindows1252(iso)); });
        FUZZ_CHECK(fromIso && *fromIso == *date);
        const auto fromItalian = Try([&] { return TextToDate(DayFirst(*date)); });
        FUZZ_CHECK(fromItalian && *fromItalian == *date);
    }
    return 0;
}
