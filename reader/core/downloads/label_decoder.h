// The logistic label of the reader program's result file: GS1 element strings in their
// human-readable form ("(02)08001234567891(37)12(15)240315(10)L42"), decoded the way the host
// application has always read them, quirks included, since stored rows depend on it:
//   - each identifier is found by its first occurrence from the start of the label;
//   - (02), (37) and (15) run up to the next "(" after the value's start; no such "(" raises 5;
//   - (10) runs to the end of the label, so the lot comes last;
//   - a missing identifier counts as found at position 0: its value starts at the fourth
//     character of the label;
//   - positions (1-based, the end of the label included) are held in 8 bits: past 255 raises 6;
//   - the (15) date is 1 January 2000 plus YY years, MM - 1 months and DD - 1 days, each a
//     calendar addition; YY, MM or DD that is no number raises 13.
#pragma once

#include <string>
#include <string_view>

#include "core/conversions.h"

namespace reader {

struct DecodedLabel {
    std::wstring codart;  // characters 11 to 13 of the (02) value
    std::wstring colli;   // the (37) value
    std::wstring lotto;   // the (10) value
    Date scadenza;        // from the (15) value
};

// Decodes in the order (02), (37), (10), (15), date; raises RaisedError 5, 6 or 13.
DecodedLabel DecodeLabel(std::wstring_view label);

// 1 January 2000 + years, then + months, then + days, each step by calendar addition (a month
// step keeps the day, or the month's last day when the month is shorter). Raises 5 when the
// result leaves the years 100 to 9999.
Date AddToFirstJanuary2000(int years, int months, int days);

}  // namespace reader
