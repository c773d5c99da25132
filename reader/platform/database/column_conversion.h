// What a column does with a value set by name, as the Access engine's record set does it: a
// text set into a number or date column is converted by the Italian rules ("5,5" is five and a
// half, dates day first), whatever the machine's locale. SQLite would store the text as it is;
// this keeps the rows the host reads back the same whichever engine stores them.
#pragma once

#include <string_view>

#include "platform/database/database.h"

namespace reader {

enum class ColumnKind { Text, Integer, Decimal, Date, Untyped };

// The kind of a column by its declared type, by SQLite's affinity rules, with any type naming a
// date or a time ("DATE", "DATETIME", "TIMESTAMP") taken as a date column.
ColumnKind KindOfDeclaredType(std::wstring_view declaredType);

// The value the column stores. A text set into a number or date column is converted (a text that
// is no number or no date raises 3421, a number beyond a whole-number column's 32 bits 3349);
// every other value is stored as given.
Value ConvertForColumn(const Value& value, ColumnKind kind);

}  // namespace reader
