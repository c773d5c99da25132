#include "platform/database/column_conversion.h"

#include <string>

#include "core/errors.h"

namespace reader {
namespace {

bool Contains(const std::wstring& upper, std::wstring_view part) {
    return upper.find(part) != std::wstring::npos;
}

// The engine's error for a text that its column cannot take, naming the text for diagnosis.
template <typename Convert>
Value Converted(const std::wstring& text, Convert convert) {
    try {
        return convert();
    } catch (const RaisedError& error) {
        throw ReaderError(
            error.number == kErrOverflow ? kErrDbNumericOverflow : kErrDbConversionError, 0,
            L"\"" + text + L"\" set into a column");
    }
}

Value FromText(const std::wstring& text, ColumnKind kind) {
    switch (kind) {
        case ColumnKind::Integer:
            return Converted(text, [&] { return Value(TextToLong(text)); });
        case ColumnKind::Decimal:
            return Converted(text, [&] { return Value(TextToDouble(text)); });
        case ColumnKind::Date:
            return Converted(text, [&] { return Value(TextToDate(text)); });
        case ColumnKind::Text:
        case ColumnKind::Untyped:
            break;
    }
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
    return value;
}

}  // namespace reader
