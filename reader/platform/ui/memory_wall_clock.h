// A wall clock that shows the time the test sets.
#pragma once

#include "platform/ui/wall_clock.h"

namespace reader {

class MemoryWallClock : public WallClock {
  public:
    explicit MemoryWallClock(LocalDateTime start) : now(start) {}
    LocalDateTime Now() const override { return now; }
    LocalDateTime now;
};

}  // namespace reader
