// The line layouts of the data files that the terminal sends (one row per line, fields at ";"),
// read into the typed values of their table's columns. Numbers and dates follow the Italian
// rules of the conversions module; every failure raises the host's run-time error.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/conversions.h"
#include "platform/database/database.h"

namespace reader {

enum class TerminalFile {
    Scarica3,   // article;lot;sub-order;quantity -> Murello
    RimesseOF,  // $ROF;sub-order;quantity;document;document date -> Murello_RimesseOF
    Scarica4,   // article$lot;quantity;movement date;Rep -> Murello
    Scarica5,   // article$lot;quantity -> Murello
};

// How a build turns the lot text after "$" into a number: the full build through
// ValoreNumerico and rounding (an empty or non-numeric lot gives 0), Murello113 straight to a
// 32-bit integer (13, type mismatch, for those).
enum class LotRule { ThroughValoreNumerico, StraightToLong };

struct TerminalLayout {
    std::wstring_view table;
    std::span<const std::wstring_view> columns;  // in the order of ParsedLine::values
};
const TerminalLayout& LayoutOf(TerminalFile file);

// What the values of a line depend on besides the line.
struct LineContext {
    Date today;             // Scarica3's Data
    std::int16_t idUt = 0;  // Scarica_RimesseOF's first column
    LotRule lotRule = LotRule::ThroughValoreNumerico;
};

struct ParsedLine {
    enum class Kind {
        Row,        // values hold one row
        WrongCode,  // the first field is not what the file needs: warn and skip
        Blank,      // empty, or only blanks and tabs: skipped
    };
    Kind kind = Kind::Row;
    std::vector<Value> values;
};

// Raises 9 (subscript out of range) for a missing field, 13 or 6 for a field that does not
// convert.
ParsedLine ParseTerminalLine(TerminalFile file, std::wstring_view line, const LineContext& context);

// The number in a text, 0 for the empty text or for anything that does not convert; never
// raises.
double ValoreNumerico(std::wstring_view text) noexcept;

std::int32_t LotNumber(std::wstring_view text, LotRule rule);

// An eight-digit yyyymmdd field, rearranged as day/month/year (its last two characters, its
// fifth and sixth, its first four) and read day first.
Date TerminalDate(std::wstring_view field);

}  // namespace reader
