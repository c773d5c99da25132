#include "platform/ui/win32_wall_clock.h"

#include <windows.h>

namespace reader {

LocalDateTime Win32WallClock::Now() const {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return {{local.wYear, local.wMonth, local.wDay}, local.wHour, local.wMinute, local.wSecond};
}

}  // namespace reader
