#include "core/downloads/label_decoder.h"

#include <cstdint>

#include "core/errors.h"

namespace reader {
namespace {

constexpr int kLongestPosition = 255;

// 1-based position of the first `what` at or after the 1-based `from`; 0 when there is none.
int Find(std::wstring_view text, std::wstring_view what, int from) {
    if (from < 1 || static_cast<std::size_t>(from) > text.size()) return 0;
    const auto at = text.find(what, static_cast<std::size_t>(from - 1));
    return at == std::wstring_view::npos ? 0 : static_cast<int>(at) + 1;
}

// A position kept in an unsigned 8-bit variable.
int Position(int value) {
    if (value > kLongestPosition) throw ReaderError(kErrOverflow, 0, L"label position");
    return static_cast<std::uint8_t>(value);
}

// `length` characters from the 1-based `start`; fewer at the end of the text.
std::wstring Middle(std::wstring_view text, int start, int length) {
    if (length < 0) throw ReaderError(kErrInvalidArgument, 0, L"label element without \"(\"");
    if (static_cast<std::size_t>(start) > text.size()) return {};
    return std::wstring(
        text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length)));
}

// The value of (02), (37) or (15): up to the next "(" after the value's start.
std::wstring BracketedValue(std::wstring_view label, std::wstring_view identifier) {
    const int start = Position(Find(label, identifier, 1)) + 4;
    const int next = Position(Find(label, L"(", start));
    return Middle(label, start, next - start);
}

// The value of (10): the rest of the label, whose end is a position like any other.
std::wstring LastValue(std::wstring_view label, std::wstring_view identifier) {
    const int start = Position(Find(label, identifier, 1)) + 4;
    Position(static_cast<int>(label.size()));
    if (static_cast<std::size_t>(start) > label.size()) return {};
    return std::wstring(label.substr(static_cast<std::size_t>(start - 1)));
}

int NumberAt(std::wstring_view value, int start) { return TextToLong(Middle(value, start, 2)); }

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + ((month == 2 && IsLeap(year)) ? 1 : 0);
}

void CheckYear(std::int64_t year) {
    if (year < 100 || year > 9999) throw ReaderError(kErrInvalidArgument, 0, L"label date");
}

// Days since 1 March of year 0 in the proleptic Gregorian calendar, and back. 64 bits
// throughout: a day count plus any 32-bit number of days must not overflow (long is 32 bits on
// Windows).
std::int64_t DayNumber(const Date& date) {
    const std::int64_t year = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear =
        (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
}

// The date of a day number whose year lies in the years 100 to 9999 (raises 5 otherwise).
Date FromDayNumber(std::int64_t days) {
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    CheckYear(year);
    return {static_cast<int>(year), month, day};
}

}  // namespace

Date AddToFirstJanuary2000(int years, int months, int days) {
    // Each sum is made in 64 bits and checked before it is kept: no number of years, months or
    // days overflows on its way to error 5.
    const std::int64_t startYear = std::int64_t{2000} + years;
    CheckYear(startYear);
    Date date{static_cast<int>(startYear), 1, 1};
    const std::int64_t monthIndex = std::int64_t{date.year} * 12 + (date.month - 1) + months;
    CheckYear(monthIndex / 12);
    date.year = static_cast<int>(monthIndex / 12);
    date.month = static_cast<int>(monthIndex % 12) + 1;
    if (date.day > DaysInMonth(date.year, date.month))
        date.day = DaysInMonth(date.year, date.month);
    return FromDayNumber(DayNumber(date) + days);
}

DecodedLabel DecodeLabel(std::wstring_view label) {
    DecodedLabel decoded;
    const std::wstring article = BracketedValue(label, L"(02)");
    decoded.codart = Middle(article, 11, 3);
    decoded.colli = BracketedValue(label, L"(37)");
    decoded.lotto = LastValue(label, L"(10)");
    const std::wstring date = BracketedValue(label, L"(15)");
    const int years = NumberAt(date, 1);
    const int months = NumberAt(date, 3);
    const int days = NumberAt(date, 5);
    decoded.scadenza = AddToFirstJanuary2000(years, months - 1, days - 1);
    return decoded;
}

}  // namespace reader
