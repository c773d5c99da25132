// Until the reader's database interface has them: the append by column name's values.
#pragma once

#include <string>

#include "core/database.h"

namespace reader {

struct NamedValue {
    std::wstring column;
    Value value;
};

}  // namespace reader
