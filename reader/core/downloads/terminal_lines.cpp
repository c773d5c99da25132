#include "core/downloads/terminal_lines.h"

#include <array>

#include "core/errors.h"

namespace reader {
namespace {

using namespace std::string_view_literals;

constexpr std::array kScarica3Columns = {L"Codart"sv, L"IdLotto"sv, L"Id SottoOrd"sv,
                                         L"Quantit\u00e0"sv, L"Data"sv};
constexpr std::array kRimesseColumns = {L"IdUt"sv, L"IdSottoORd"sv, L"Qt\u00e0"sv, L"NDoc"sv,
                                        L"DataDoc"sv};
constexpr std::array kScarica4Columns = {L"Codart"sv, L"IdLotto"sv, L"Quantit\u00e0"sv, L"Data"sv,
                                         L"Rep"sv};
constexpr std::array kScarica5Columns = {L"Codart"sv, L"IdLotto"sv, L"Quantit\u00e0"sv};

const TerminalLayout kScarica3{L"Murello", kScarica3Columns};
const TerminalLayout kRimesse{L"Murello_RimesseOF", kRimesseColumns};
const TerminalLayout kScarica4{L"Murello", kScarica4Columns};
const TerminalLayout kScarica5{L"Murello", kScarica5Columns};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The fields of a line at ";", read by number as the host reads an array element: a field
// past the last raises 9. No layout reads beyond the fifth, so no more are kept.
class Fields {
  public:
    explicit Fields(std::wstring_view line) {
        std::size_t start = 0;
        while (count_ < fields_.size()) {
            const auto end = line.find(L';', start);
            fields_[count_++] =
                line.substr(start, end == std::wstring_view::npos ? end : end - start);
            if (end == std::wstring_view::npos) break;
            start = end + 1;
        }
    }
    std::wstring_view operator[](std::size_t index) const {
        if (index >= count_) throw ReaderError(kErrSubscriptOutOfRange);
        return fields_[index];
    }

  private:
    std::array<std::wstring_view, 5> fields_;
    std::size_t count_ = 0;
};

bool IsRofMarker(std::wstring_view field) {
    constexpr std::wstring_view kMarker = L"$ROF";
    if (field.size() != kMarker.size()) return false;
    for (std::size_t i = 0; i < field.size(); ++i) {
        wchar_t c = field[i];
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        if (c != kMarker[i]) return false;
    }
    return true;
}

// The host's 16-bit integer conversion: rounded half to even, 6 outside its range.
std::int16_t TextToInteger(std::wstring_view text) { return LongToInteger(TextToLong(text)); }

ParsedLine Row(std::vector<Value> values) { return {ParsedLine::Kind::Row, std::move(values)}; }

}  // namespace

const TerminalLayout& LayoutOf(TerminalFile file) {
    switch (file) {
        case TerminalFile::Scarica3:
            return kScarica3;
        case TerminalFile::RimesseOF:
            return kRimesse;
        case TerminalFile::Scarica4:
            return kScarica4;
        case TerminalFile::Scarica5:
            break;
    }
    return kScarica5;
}

double ValoreNumerico(std::wstring_view text) noexcept {
    if (text.empty()) return 0;
    try {
        return TextToDouble(text);
    } catch (...) {
        return 0;
    }
}

std::int32_t LotNumber(std::wstring_view text, LotRule rule) {
    if (rule == LotRule::StraightToLong) return TextToLong(text);
    return RoundToLong(ValoreNumerico(text));
}

Date TerminalDate(std::wstring_view field) {
    const std::wstring_view day = field.size() > 2 ? field.substr(field.size() - 2) : field;
    const std::wstring_view month = field.size() > 4 ? field.substr(4, 2) : std::wstring_view();
    const std::wstring_view year = field.substr(0, 4);
    std::wstring text;
    text.append(day).append(L"/").append(month).append(L"/").append(year);
    return TextToDate(text);
}

ParsedLine ParseTerminalLine(TerminalFile file, std::wstring_view line,
                             const LineContext& context) {
    bool blank = true;
    for (wchar_t c : line) blank = blank && IsBlank(c);
    if (blank) return {ParsedLine::Kind::Blank, {}};

    const Fields field(line);
    if (file == TerminalFile::Scarica3) {
        return Row({std::wstring(field[0]), TextToLong(field[1]), TextToLong(field[2]),
                    TextToDouble(field[3]), context.today});
    }
    if (file == TerminalFile::RimesseOF) {
        if (!IsRofMarker(field[0])) return {ParsedLine::Kind::WrongCode, {}};
        return Row({std::int32_t{context.idUt}, TextToLong(field[1]), TextToDouble(field[2]),
                    std::wstring(field[3]), TerminalDate(field[4])});
    }
    // Scarica4 and Scarica5: the article code before the first "$", the lot text after it.
    const std::wstring_view code = field[0];
    const auto dollar = code.find(L'$');
    if (dollar == std::wstring_view::npos) return {ParsedLine::Kind::WrongCode, {}};
    std::wstring article(code.substr(0, dollar));
    const std::int32_t lot = LotNumber(code.substr(dollar + 1), context.lotRule);
    const double quantity = TextToDouble(field[1]);
    if (file == TerminalFile::Scarica5) return Row({std::move(article), lot, quantity});
    const Date moved = TerminalDate(field[2]);
    return Row({std::move(article), lot, quantity, moved, std::int32_t{TextToInteger(field[3])}});
}

}  // namespace reader
