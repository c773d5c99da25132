#include "core/column_conversion.h"

#include <cstdio>
#include <string>

#include "core/run_time_error.h"

namespace reader {
namespace {

bool Contains(const std::wstring& upper, std::wstring_view part) {
    return upper.find(part) != std::wstring::npos;
}

RaisedError ConversionError() { return {kDbConversionError, L"Data type conversion error."}; }

template <typename Convert>
Value Converted(Convert convert) {
    try {
        return convert();
    } catch (const RaisedError& error) {
        if (error.number == kErrOverflow) {
            throw RaisedError{kDbNumericOverflow, L"Numeric field overflow."};
        }
        throw ConversionError();
    }
}

Value FromText(const std::wstring& text, ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Integer:
            return Converted([&] { return Value(TextToLong(text)); });
        case ColumnKind::Decimal:
            return Converted([&] { return Value(TextToDouble(text)); });
        case ColumnKind::Date:
            return Converted([&] { return Value(TextToDate(text)); });
        case ColumnKind::Text:
        case ColumnKind::Untyped:
            break;
    }
    return text;
}

std::wstring DateText(const Date& date) {
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L"%02d/%02d/%04d", date.day, date.month,
                  date.year);
    return text;
}

}  // namespace

ColumnKind KindOfDeclaredType(std::wstring_view declaredType) {
    std::wstring upper(declaredType);
    for (wchar_t& c : upper) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    if (Contains(upper, L"DATE") || Contains(upper, L"TIME")) return ColumnKind::Date;
    if (Contains(upper, L"INT")) return ColumnKind::Integer;
    if (Contains(upper, L"CHAR") || Contains(upper, L"CLOB") || Contains(upper, L"TEXT")) {
        return ColumnKind::Text;
    }
    if (upper.empty() || Contains(upper, L"BLOB")) return ColumnKind::Untyped;
    return ColumnKind::Decimal;
}

Value ConvertForColumn(const Value& value, ColumnKind kind) {
    if (const auto* text = std::get_if<std::wstring>(&value)) return FromText(*text, kind);
    if (kind == ColumnKind::Text) {
        if (const auto* number = std::get_if<std::int32_t>(&value)) {
            return std::to_wstring(*number);
        }
        if (const auto* date = std::get_if<Date>(&value)) return DateText(*date);
    }
    return value;
}

}  // namespace reader
