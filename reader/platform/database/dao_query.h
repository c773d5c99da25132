// What the DAO engine is given for a statement with typed values: a parameter query whose
// PARAMETERS clause declares one name per value with the value's type, so that no value is ever
// written into the statement's text.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/database/database.h"

namespace reader {

struct ParameterQuery {
    std::wstring text;                // "PARAMETERS p1 Text ( 255 ), p2 Long; Insert ... p1,p2"
    std::vector<std::wstring> names;  // the declared names, one per value, in order
};

// Each "?" of the statement, outside quoted text and bracketed names, becomes the next declared
// name. Fewer values than placeholders raise 3061 (too few parameters), as the engine does.
ParameterQuery MakeParameterQuery(std::wstring_view statement, std::span<const Value> values);

// The engine's type name for a value's parameter.
std::wstring ParameterTypeName(const Value& value);

// A date as the Automation date the engine takes: days since 30 December 1899.
double AutomationDate(const Date& date);

}  // namespace reader
