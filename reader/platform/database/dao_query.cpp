#include "platform/database/dao_query.h"

#include <type_traits>
#include <variant>

namespace reader {
namespace {

// Text of at most this many characters fits the engine's Text parameter; longer text is Memo.
constexpr std::size_t kTextParameterLimit = 255;

// Days from 1 January 1970 to a civil date (proleptic Gregorian).
long DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::wstring ParameterTypeName(const Value& value) {
    return std::visit(
        [](const auto& v) -> std::wstring {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::wstring>) {
                return v.size() > kTextParameterLimit ? L"Memo" : L"Text ( 255 )";
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                return L"Long";
            } else if constexpr (std::is_same_v<T, std::int16_t>) {
                return L"Short";
            } else if constexpr (std::is_same_v<T, double>) {
                return L"Double";
            } else if constexpr (std::is_same_v<T, Date>) {
                return L"DateTime";
            } else {
                static_assert(std::is_same_v<T, std::monostate>, "a value type without a name");
                return L"Text ( 255 )";
            }
        },
        value);
}

ParameterQuery MakeParameterQuery(std::wstring_view statement, std::span<const Value> values) {
    ParameterQuery query;
    std::wstring clause = L"PARAMETERS ";
    for (std::size_t i = 0; i < values.size(); ++i) {
        query.names.push_back(L"p" + std::to_wstring(i + 1));
        if (i > 0) clause += L", ";
        clause += query.names.back() + L" " + ParameterTypeName(values[i]);
    }
    std::wstring body;
    std::size_t used = 0;
    std::size_t missing = 0;
    wchar_t closing = 0;  // the character that ends the quoted text or name we are in
    for (const wchar_t c : statement) {
        if (closing) {
            if (c == closing) closing = 0;
            body += c;
        } else if (c == L'\'' || c == L'"') {
            closing = c;
            body += c;
        } else if (c == L'[') {
            closing = L']';
            body += c;
        } else if (c == L'?') {
            if (used < query.names.size()) {
                body += query.names[used++];
            } else {
                ++missing;
            }
        } else {
            body += c;
        }
    }
    if (missing > 0) {
        throw ReaderErrorWithText(kErrDbTooFewParameters, L"Too few parameters. Expected " +
                                                              std::to_wstring(missing) + L".");
    }
    query.text = values.empty() ? body : clause + L"; " + body;
    return query;
}

double AutomationDate(const Date& date) {
    return static_cast<double>(DaysFromCivil(date.year, date.month, date.day) -
                               DaysFromCivil(1899, 12, 30));
}

}  // namespace reader
