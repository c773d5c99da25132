#include "platform/ui/wall_clock.h"

#include <cstdio>

namespace reader {

std::wstring DateStamp(const LocalDateTime& time) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%04d%02d%02d", time.date.year, time.date.month, time.date.day);
    return text;
}

std::wstring TimeStamp(const LocalDateTime& time) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%02d%02d%02d", time.hour, time.minute, time.second);
    return text;
}

std::wstring MinuteStamp(const LocalDateTime& time) { return TimeStamp(time).substr(0, 4); }

}  // namespace reader
