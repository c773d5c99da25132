// The passing of time, so that waiting loops can be tested without real seconds.
#pragma once

#include <cstdint>

namespace lanvik {

class Clock {
  public:
    virtual ~Clock() = default;
    // Blocks the calling thread.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace lanvik
