// The host run time's conversions of device text under the Italian locale, written out so that
// they never depend on the machine's locale: "," is the decimal separator, "." groups thousands,
// dates are day first. Failures raise the host's run-time errors (13 type mismatch, 6 overflow).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace reader {

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

// Whole-number conversion of text: the number is read as a decimal and rounded half to even
// ("2,5" gives 2, "3,5" gives 4). "&H" and "&O" prefixes read hexadecimal and octal.
std::int32_t TextToLong(std::wstring_view text);

// Decimal conversion of text.
double TextToDouble(std::wstring_view text);

// A 32-bit integer narrowed to the host's 16-bit integer (overflow outside -32768..32767).
std::int16_t LongToInteger(std::int32_t value);

// Rounds half to even into a 32-bit integer (overflow outside its range).
std::int32_t RoundToLong(double value);

// Date conversion of text: day, month, year separated by "/", "-" or "."; a two-digit year
// means 1930..2029; a year written first ("2024-03-05") reads year, month, day. When the
// day-first reading is no valid date but the month-first one is, the month-first one is used,
// as the host does.
Date TextToDate(std::wstring_view text);

// "YYYY-MM-DD".
std::string IsoDateText(const Date& date);

}  // namespace reader
