#include "platform/ui/win32_wall_clock.h"

#include <windows.h>

namespace reader {

LocalDateTime Win32WallClock::Now() const {
    FILETIME utc{};
    GetSystemTimeAsFileTime(&utc);
    const std::uint64_t ticks = (std::uint64_t{utc.dwHighDateTime} << 32) | utc.dwLowDateTime;
    const std::uint64_t second = ticks / 10'000'000;
    if (second != cachedSecond_) {
        SYSTEMTIME utcTime{};
        SYSTEMTIME local{};
        if (!FileTimeToSystemTime(&utc, &utcTime) ||
            !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local)) {
            GetLocalTime(&local);
        }
        cached_ = {
            {local.wYear, local.wMonth, local.wDay}, local.wHour, local.wMinute, local.wSecond};
        cachedSecond_ = second;
    }
    return cached_;
}

}  // namespace reader
