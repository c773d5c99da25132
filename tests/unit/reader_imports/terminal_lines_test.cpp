#include "core/downloads/terminal_lines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <type_traits>

#include "core/text_encoding.h"

namespace reader {
namespace {

// A row as SQL-like literals ('text', 12, 0.5, #2026-12-06#), or what else the line gave.
std::string Describe(TerminalFile file, const std::wstring& line, LotRule rule) {
    LineContext context;
    context.today = {2026, 12, 8};
    context.idUt = 7;
    context.lotRule = rule;
    ParsedLine parsed;
    try {
        parsed = ParseTerminalLine(file, line, context);
    } catch (const RaisedError& error) {
        return "error " + std::to_string(error.number);
    }
    if (parsed.kind == ParsedLine::Kind::Blank) return "blank";
    if (parsed.kind == ParsedLine::Kind::WrongCode) return "wrong code";
    std::string row;
    for (const Value& value : parsed.values) {
        if (!row.empty()) row += ',';
        std::visit(
            [&](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::monostate>) {
                    row += "NULL";
                } else if constexpr (std::is_same_v<T, std::wstring>) {
                    row += "'" + ToUtf8(v) + "'";
                } else if constexpr (std::is_same_v<T, std::int32_t>) {
                    row += std::to_string(v);
                } else if constexpr (std::is_same_v<T, double>) {
                    char text[32];
                    std::snprintf(text, sizeof text, "%.17g", v);
                    row += text;
                    if (row.find_first_of(".e", row.rfind(',') + 1) == std::string::npos) {
                        row += ".0";
                    }
                } else {
                    row += "#" + IsoDateText(v) + "#";
                }
            },
            value);
    }
    return row;
}

TEST(TerminalLines, EachLayoutGivesItsTypedRow) {
    constexpr auto kFull = LotRule::ThroughValoreNumerico;
    constexpr auto k113 = LotRule::StraightToLong;
    constexpr auto k3 = TerminalFile::Scarica3;
    constexpr auto kRof = TerminalFile::RimesseOF;
    constexpr auto k4 = TerminalFile::Scarica4;
    constexpr auto k5 = TerminalFile::Scarica5;
    struct Case {
        TerminalFile file;
        LotRule rule;
        const wchar_t* line;
        const char* expected;
    } cases[] = {
        {k3, kFull, L"A1;12;7;3", "'A1',12,7,3.0,#2026-12-08#"},
        {k3, kFull, L"A1;2,5;3,5;0,5", "'A1',2,4,0.5,#2026-12-08#"},
        {k3, kFull, L"A1;1;1;-0,25", "'A1',1,1,-0.25,#2026-12-08#"},
        {k3, kFull, L"A1;1;1;1.000,5;ignored;", "'A1',1,1,1000.5,#2026-12-08#"},
        {k3, kFull, L"O'Brien \u00e8;1;1;1", "'O'Brien \xC3\xA8',1,1,1.0,#2026-12-08#"},
        {k3, kFull, L";0;0;0", "'',0,0,0.0,#2026-12-08#"},
        {k3, k113, L"A1;2,5;1;1", "'A1',2,1,1.0,#2026-12-08#"},
        {k3, kFull, L"A1;12;7", "error 9"},
        {k3, kFull, L"A1;x;7;3", "error 13"},
        {k3, kFull, L"A1;1;1;1.5", "'A1',1,1,15.0,#2026-12-08#"},
        {k3, kFull, L"A1;99999999999;1;1", "error 6"},
        {k3, kFull, L"", "blank"},
        {k3, kFull, L" \t ", "blank"},
        {kRof, kFull, L"$ROF;12;3;DDT45;20261206", "7,12,3.0,'DDT45',#2026-12-06#"},
        {kRof, kFull, L"$rof;13;0,5;D'46;20260229", "error 13"},
        {kRof, kFull, L"$rOf;13;0,5;D'46;20240229", "7,13,0.5,'D'46',#2024-02-29#"},
        {kRof, kFull, L"$ROF;1;1;X;20261306", "7,1,1.0,'X',#2026-06-13#"},
        {kRof, kFull, L"$ROF;1;1;X;2026-12-06", "error 13"},
        {kRof, kFull, L"$ROF;1;1;X", "error 9"},
        {kRof, kFull, L"ROF;1;1;X;20261206", "wrong code"},
        {kRof, kFull, L" $ROF;1;1;X;20261206", "wrong code"},
        {kRof, kFull, L"X", "wrong code"},
        {k4, kFull, L"ART42$17;2;20261206;1", "'ART42',17,2.0,#2026-12-06#,1"},
        {k4, kFull, L"ART42$;2;20261206;1", "'ART42',0,2.0,#2026-12-06#,1"},
        {k4, kFull, L"ART42$2,5;2;20261206;1", "'ART42',2,2.0,#2026-12-06#,1"},
        {k4, kFull, L"ART42$3,5;0,5;20261206;1,5", "'ART42',4,0.5,#2026-12-06#,2"},
        {k4, kFull, L"ART42$abc;2;20261206;1", "'ART42',0,2.0,#2026-12-06#,1"},
        {k4, kFull, L"A$B$7;2;20261206;1", "'A',0,2.0,#2026-12-06#,1"},
        {k4, kFull, L"A$1E12;2;20261206;1", "error 6"},
        {k4, kFull, L"A$1;2;20261206;40000", "error 6"},
        {k4, kFull, L"A$1;2;20261206", "error 9"},
        {k4, kFull, L"ART42;5;20261206;1", "wrong code"},
        {k4, k113, L"ART42$17;2;20261206;1", "'ART42',17,2.0,#2026-12-06#,1"},
        {k4, k113, L"ART42$2,5;2;20261206;1", "'ART42',2,2.0,#2026-12-06#,1"},
        {k4, k113, L"ART42$;2;20261206;1", "error 13"},
        {k4, k113, L"ART42$abc;2;20261206;1", "error 13"},
        {k5, kFull, L"ART42$17;0,5", "'ART42',17,0.5"},
        {k5, kFull, L"$5;1;anything", "'',5,1.0"},
        {k5, kFull, L"ART42$", "error 9"},
        {k5, kFull, L"ART42;5", "wrong code"},
        {k5, kFull, L"\t", "blank"},
        {k5, k113, L"ART42$;5", "error 13"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.line));
        EXPECT_EQ(Describe(c.file, c.line, c.rule), c.expected);
    }
}

TEST(TerminalLines, ValoreNumericoGivesZeroForWhatDoesNotConvert) {
    struct Case {
        const wchar_t* text;
        double value;
    } cases[] = {{L"", 0},    {L"abc", 0},          {L" ", 0},     {L"1,5", 1.5},
                 {L" 2 ", 2}, {L"1.234,5", 1234.5}, {L"1E999", 0}, {L"-3", -3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(ValoreNumerico(c.text), c.value);
    }
}

}  // namespace
}  // namespace reader
