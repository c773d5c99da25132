#include "core/conversions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <system_error>
#include <vector>

#include "core/errors.h"

namespace reader {
namespace {

constexpr wchar_t kDecimalSeparator = L',';
constexpr wchar_t kGroupSeparator = L'.';

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

[[noreturn]] void Mismatch() { throw ReaderError(kErrTypeMismatch); }
[[noreturn]] void Overflow() { throw ReaderError(kErrOverflow); }

// "&H"/"&O" numbers: like the host, up to 16 bits give a 16-bit integer, up to 32 bits a
// 32-bit one, both read as two's complement.
std::optional<double> ParsePrefixedInteger(std::wstring_view text) {
    if (text.size() < 3 || text[0] != L'&') return std::nullopt;
    const wchar_t kind = text[1];
    unsigned base = 0;
    if (kind == L'H' || kind == L'h') base = 16;
    if (kind == L'O' || kind == L'o') base = 8;
    if (base == 0) Mismatch();
    std::uint64_t value = 0;
    for (wchar_t c : text.substr(2)) {
        unsigned digit = 0;
        if (IsDigit(c)) {
            digit = static_cast<unsigned>(c - L'0');
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            digit = static_cast<unsigned>(c - L'A' + 10);
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = static_cast<unsigned>(c - L'a' + 10);
        } else {
            Mismatch();
        }
        if (digit >= base) Mismatch();
        value = value * base + digit;
        if (value > 0xFFFFFFFFull) Overflow();
    }
    if (value <= 0xFFFF) return static_cast<double>(static_cast<std::int16_t>(value));
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

// Reads [sign] digits with group separators [, digits] [E [sign] digits] into a plain ASCII
// form that from_chars understands.
double ParseDecimal(std::wstring_view text) {
    text = Trim(text);
    if (text.empty()) Mismatch();
    if (auto prefixed = ParsePrefixedInteger(text)) return *prefixed;

    std::string plain;
    std::size_t i = 0;
    if (text[i] == L'+' || text[i] == L'-') {
        if (text[i] == L'-') plain += '-';
        ++i;
        while (i < text.size() && IsBlank(text[i])) ++i;
    }
    bool digits = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            plain += static_cast<char>(text[i]);
            digits = true;
        } else if (text[i] == kGroupSeparator && digits) {
            continue;
        } else {
            break;
        }
    }
    if (i < text.size() && text[i] == kDecimalSeparator) {
        plain += '.';
        ++i;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            plain += static_cast<char>(text[i]);
            digits = true;
        }
    }
    if (!digits) Mismatch();
    if (i < text.size() &&
        (text[i] == L'E' || text[i] == L'e' || text[i] == L'D' || text[i] == L'd')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
            plain += static_cast<char>(text[i]);
            ++i;
        }
        bool exponentDigits = false;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            plain += static_cast<char>(text[i]);
            exponentDigits = true;
        }
        if (!exponentDigits) Mismatch();
    }
    if (i != text.size()) Mismatch();

    double value = 0;
    auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // from_chars also reports underflow this way; a tiny number is simply zero.
        const auto e = plain.find('e');
        if (e != std::string::npos && plain.find('-', e) != std::string::npos) return 0.0;
        Overflow();
    }
    if (ec != std::errc() || end != plain.data() + plain.size()) Mismatch();
    return value;
}

bool IsValidDate(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + ((month == 2 && leap) ? 1 : 0);
}

}  // namespace

std::int32_t RoundToLong(double value) {
    if (!std::isfinite(value)) Overflow();
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    if (whole < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        whole > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        Overflow();
    }
    return static_cast<std::int32_t>(whole);
}

std::int32_t TextToLong(std::wstring_view text) { return RoundToLong(ParseDecimal(text)); }

double TextToDouble(std::wstring_view text) { return ParseDecimal(text); }

std::int16_t LongToInteger(std::int32_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        Overflow();
    }
    return static_cast<std::int16_t>(value);
}

Date TextToDate(std::wstring_view text) {
    text = Trim(text);
    std::vector<std::wstring_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == L'/' || text[i] == L'-' || text[i] == L'.') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (parts.size() != 3) Mismatch();
    int numbers[3] = {};
    for (int k = 0; k < 3; ++k) {
        if (parts[k].empty() || parts[k].size() > 4) Mismatch();
        for (wchar_t c : parts[k]) {
            if (!IsDigit(c)) Mismatch();
            numbers[k] = numbers[k] * 10 + (c - L'0');
        }
    }
    auto fullYear = [](std::wstring_view part, int year) {
        if (part.size() <= 2) return year < 30 ? 2000 + year : 1900 + year;
        return year;
    };
    if (parts[0].size() >= 3) {
        const int year = numbers[0];
        if (!IsValidDate(year, numbers[1], numbers[2])) Mismatch();
        return {year, numbers[1], numbers[2]};
    }
    const int year = fullYear(parts[2], numbers[2]);
    if (IsValidDate(year, numbers[1], numbers[0])) return {year, numbers[1], numbers[0]};
    if (IsValidDate(year, numbers[0], numbers[1])) return {year, numbers[0], numbers[1]};
    Mismatch();
}

std::string IsoDateText(const Date& date) {
    const bool plain = date.year >= 0 && date.year <= 9999 && date.month >= 0 && date.month <= 99 &&
                       date.day >= 0 && date.day <= 99;
    if (!plain) {
        char text[48];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
        return text;
    }
    // Written out by hand: an import stores a date with every row, and formatting through the
    // C library cost more than storing the row.
    std::string text = "0000-00-00";
    const auto put = [&text](std::size_t last, int value, int digits) {
        for (int i = 0; i < digits; ++i, value /= 10)
            text[last - i] = static_cast<char>('0' + value % 10);
    };
    put(3, date.year, 4);
    put(6, date.month, 2);
    put(9, date.day, 2);
    return text;
}

}  // namespace reader
