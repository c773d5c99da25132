// Lines of the reader program's result file: blank lines are skipped, the others are split at
// every ";" into fields that are kept exactly as they stand (no trimming).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace reader {

// Empty once the spaces at both ends are gone (tabs count as text).
bool IsBlankLine(std::wstring_view line);

// Every ";" separates two fields: "a;;b;" gives "a", "", "b", "".
std::vector<std::wstring> SplitFields(std::wstring_view line);

// The field by its number from 1; a line without it raises 9 (subscript out of range).
const std::wstring& FieldNumber(const std::vector<std::wstring>& fields, std::size_t number);

}  // namespace reader
