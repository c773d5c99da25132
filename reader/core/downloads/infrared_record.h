// A data record of the infrared reader: "#" article "$" lot ";" quantity ";" yyyymmdd ";" Rep
// ";" and anything after (the blanks of the buffer). Values are read by the Italian rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/conversions.h"

namespace reader {

struct InfraredReading {
    std::wstring article;  // everything before the first "$", "#" included
    std::int32_t lot = 0;
    double quantity = 0;
    Date date;
    std::int32_t rep = 0;
    friend bool operator==(const InfraredReading&, const InfraredReading&) = default;
};

// Whether the record has the "$" that ends the article code.
bool HasArticleSeparator(std::string_view record);

// Cuts the fields off the front of the record (Windows-1252 text) and converts them: lot and Rep
// as whole numbers, the quantity with "." read as the decimal comma, the date day first.
// Raises 5 when the "$" or a ";" is missing, 13 or 6 for a value that does not convert.
InfraredReading ParseInfraredRecord(std::string_view record);

}  // namespace reader
