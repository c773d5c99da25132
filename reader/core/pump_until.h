// The one wait of every download that waits for a device while the host stays live: process the
// thread's messages (this is when notifications such as the serial line's receive event run),
// then sleep until the next message or the deadline, never spinning; the clock is monotonic.
#pragma once

#include <chrono>
#include <functional>

#include "platform/ui/user_interface.h"

namespace reader {

// Returns true as soon as done() holds (at once, without processing, when it holds already);
// false when, after processing the messages, the clock is past deadline. The deadline itself
// still counts as in time. Each sleep lasts until a message arrives or just past the deadline.
bool PumpUntil(MessageLoop& loop, const MonotonicClock& clock, std::chrono::nanoseconds deadline,
               const std::function<bool()>& done);

}  // namespace reader
