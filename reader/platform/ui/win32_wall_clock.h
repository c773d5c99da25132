// The local time of the Windows machine.
#pragma once

#include <cstdint>

#include "platform/ui/wall_clock.h"

namespace reader {

class Win32WallClock : public WallClock {
  public:
    LocalDateTime Now() const override;

  private:
    // The local time of the last whole UTC second asked for. An import asks for every line;
    // the system's time is cheap to read, its conversion to local time is not. The local offset
    // changes only on whole hours, so a second's conversion holds for the whole second.
    mutable std::uint64_t cachedSecond_ = 0;
    mutable LocalDateTime cached_;
};

}  // namespace reader
