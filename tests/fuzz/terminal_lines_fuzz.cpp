// The terminal's data files, one line at a time, in each of the four layouts and both lot rules:
// any bytes (read as Windows-1252). What holds: a line is blank exactly when it holds only blanks
// and tabs; otherwise it gives a row with one value per column of its table, or is skipped for
// its code, or raises 9, 13 or 6 and nothing else; the text fields are the line's own text; and
// a row written back in its layout (Italian numbers, yyyymmdd dates) reads back as the same row.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <variant>

#include "core/downloads/terminal_lines.h"
#include "core/errors.h"
#include "core/text_encoding.h"
#include "fuzz_check.h"

namespace {

using namespace reader;

std::optional<ParsedLine> Parse(TerminalFile file, const std::wstring& line,
                                const LineContext& context) {
    try {
        return ParseTerminalLine(file, line, context);
    } catch (const RaisedError& error) {
        FUZZ_CHECK(error.number == kErrSubscriptOutOfRange || error.number == kErrTypeMismatch ||
                   error.number == kErrOverflow);
        return std::nullopt;
    }
}

std::wstring Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    std::wstring wide;
    for (const char* c = text; *c != '\0'; ++c) wide += *c == '.' ? L',' : wchar_t(*c);
    return wide;
}

std::wstring Whole(const Value& value) { return std::to_wstring(std::get<std::int32_t>(value)); }

std::wstring DateField(const Value& value) {
    const Date& date = std::get<Date>(value);
    wchar_t text[16];
    std::swprintf(text, 16, L"%04d%02d%02d", date.year, date.month, date.day);
    return text;
}

// The row in its layout's own form.
std::wstring WrittenBack(TerminalFile file, const std::vector<Value>& v) {
    const auto text = [](const Value& value) { return std::get<std::wstring>(value); };
    switch (file) {
        case TerminalFile::Scarica3:
            return text(v[0]) + L";" + Whole(v[1]) + L";" + Whole(v[2]) + L";" +
                   Number(std::get<double>(v[3]));
        case TerminalFile::RimesseOF:
            return L"$ROF;" + Whole(v[1]) + L";" + Number(std::get<double>(v[2])) + L";" +
                   text(v[3]) + L";" + DateField(v[4]);
        case TerminalFile::Scarica4:
            return text(v[0]) + L"$" + Whole(v[1]) + L";" + Number(std::get<double>(v[2])) + L";" +
                   DateField(v[3]) + L";" + Whole(v[4]);
        case TerminalFile::Scarica5:
            break;
    }
    return text(v[0]) + L"$" + Whole(v[1]) + L";" + Number(std::get<double>(v[2]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const auto file = static_cast<TerminalFile>(data[0] & 3);
    LineContext context;
    context.today = {2026, 12, 8};
    context.idUt = static_cast<std::int16_t>(data[1] - 100);
    context.lotRule = (data[0] & 4) ? LotRule::StraightToLong : LotRule::ThroughValoreNumerico;
    const std::wstring line =
        FromWindows1252(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));

    const auto parsed = Parse(file, line, context);
    const bool blank = line.find_first_not_of(L" \t") == std::wstring::npos;
    if (blank) FUZZ_CHECK(parsed && parsed->kind == ParsedLine::Kind::Blank);
    if (!parsed || parsed->kind != ParsedLine::Kind::Row) return 0;
    FUZZ_CHECK(!blank);
    const std::vector<Value>& row = parsed->values;
    FUZZ_CHECK(row.size() == LayoutOf(file).columns.size());
    const std::wstring first = line.substr(0, line.find(L';'));
    if (file == TerminalFile::Scarica3) {
        FUZZ_CHECK(std::get<std::wstring>(row[0]) == first);
        FUZZ_CHECK(std::get<Date>(row[4]) == context.today);
    } else if (file == TerminalFile::RimesseOF) {
        FUZZ_CHECK(std::get<std::int32_t>(row[0]) == context.idUt);
    } else {
        FUZZ_CHECK(std::get<std::wstring>(row[0]) == first.substr(0, first.find(L'$')));
    }
    for (const Value& value : row) {
        if (const double* number = std::get_if<double>(&value)) FUZZ_CHECK(std::isfinite(*number));
    }

    const auto again = Parse(file, WrittenBack(file, row), context);
    FUZZ_CHECK(again && again->kind == ParsedLine::Kind::Row && again->values == row);
    return 0;
}
