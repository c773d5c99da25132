// The logistic label of the reader program's result file: any bytes (read as Windows-1252).
// What holds: a label decodes or raises 5, 6 or 13 and nothing else; one past 255 characters
// never decodes; the article is at most three characters and neither it nor the count holds a
// "(", the count is followed by a "(" in the label, the lot is the label's end; the date is a
// valid one; and a label written back from what was decoded (when its year has two digits)
// decodes the same. The date arithmetic, for any three numbers (the input's last 12 bytes),
// gives a valid date of the years 100 to 9999 or raises 5.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "core/downloads/label_decoder.h"
#include "core/errors.h"
#include "core/text_encoding.h"
#include "fuzz_check.h"

namespace {

using namespace reader;

constexpr std::size_t kLongestLabel = 255;

std::optional<DecodedLabel> Decode(std::wstring_view label) {
    try {
        return DecodeLabel(label);
    } catch (const RaisedError& error) {
        FUZZ_CHECK(error.number == kErrInvalidArgument || error.number == kErrOverflow ||
                   error.number == kErrTypeMismatch);
        return std::nullopt;
    }
}

bool IsValid(const Date& date) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 100 || date.year > 9999 || date.month < 1 || date.month > 12) return false;
    const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    return date.day >= 1 && date.day <= kDays[date.month - 1] + (date.month == 2 && leap ? 1 : 0);
}

bool EndsWith(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The label in its usual order, the article padded to its characters 11 to 13.
std::wstring WrittenBack(const DecodedLabel& label) {
    wchar_t date[16];
    std::swprintf(date, 16, L"%02d%02d%02d", label.scadenza.year - 2000, label.scadenza.month,
                  label.scadenza.day);
    return L"(02)0000000000" + label.codart + L"(37)" + label.colli + L"(15)" + date + L"(10)" +
           label.lotto;
}

void CheckDateArithmetic(const std::uint8_t* numbers) {
    std::int32_t years, months, days;
    std::memcpy(&years, numbers, 4);
    std::memcpy(&months, numbers + 4, 4);
    std::memcpy(&days, numbers + 8, 4);
    try {
        FUZZ_CHECK(IsValid(AddToFirstJanuary2000(years, months, days)));
    } catch (const RaisedError& error) {
        FUZZ_CHECK(error.number == kErrInvalidArgument);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 12) CheckDateArithmetic(data + size - 12);
    const std::wstring label =
        FromWindows1252(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto decoded = Decode(label);
    if (!decoded) return 0;
    FUZZ_CHECK(label.size() <= kLongestLabel);
    FUZZ_CHECK(decoded->codart.size() <= 3 && decoded->codart.find(L'(') == std::wstring::npos);
    FUZZ_CHECK(decoded->colli.find(L'(') == std::wstring::npos);
    FUZZ_CHECK(label.find(decoded->colli + L"(") != std::wstring::npos);
    const std::size_t count = label.find(L"(37)");
    if (count != std::wstring::npos)
        FUZZ_CHECK(label.compare(count + 4, decoded->colli.size() + 1, decoded->colli + L"(") == 0);
    FUZZ_CHECK(EndsWith(label, decoded->lotto));
    const std::size_t lot = label.find(L"(10)");
    const std::size_t lotStart = lot == std::wstring::npos ? 3 : lot + 4;
    FUZZ_CHECK(decoded->lotto == (lotStart < label.size() ? label.substr(lotStart) : L""));
    FUZZ_CHECK(IsValid(decoded->scadenza));

    if (decoded->scadenza.year < 2000 || decoded->scadenza.year > 2099) return 0;
    const std::wstring again = WrittenBack(*decoded);
    if (again.size() > kLongestLabel) return 0;
    const auto reread = Decode(again);
    FUZZ_CHECK(reread && reread->codart == decoded->codart && reread->colli == decoded->colli &&
               reread->lotto == decoded->lotto && reread->scadenza == decoded->scadenza);
    return 0;
}
