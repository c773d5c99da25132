// The local time of the Windows machine.
#pragma once

#include "platform/ui/wall_clock.h"

namespace reader {

class Win32WallClock : public WallClock {
  public:
    LocalDateTime Now() const override;
};

}  // namespace reader
