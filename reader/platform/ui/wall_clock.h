// The local date and time of day, as the host's Now gives them: file names of the terminal
// downloads and the date stored with Scarica3's rows.
#pragma once

#include <string>

#include "core/conversions.h"

namespace reader {

struct LocalDateTime {
    Date date;
    int hour = 0;  // 0..23
    int minute = 0;
    int second = 0;
    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

class WallClock {
  public:
    virtual ~WallClock() = default;
    virtual LocalDateTime Now() const = 0;
};

// "yyyymmdd", "hhnnss" and "hhnn", two digits each part, hours 00..23.
std::wstring DateStamp(const LocalDateTime& time);
std::wstring TimeStamp(const LocalDateTime& time);
std::wstring MinuteStamp(const LocalDateTime& time);

}  // namespace reader
