#include "core/pump_until.h"

namespace reader {

bool PumpUntil(MessageLoop& loop, const MonotonicClock& clock, std::chrono::nanoseconds deadline,
               const std::function<bool()>& done) {
    while (!done()) {
        loop.ProcessPendingMessages();
        const std::chrono::nanoseconds now = clock.Now();
        if (now > deadline) return false;
        if (done()) break;
        // One millisecond past the deadline, so that the wake-up finds it passed.
        loop.WaitForMessage(deadline - now + std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace reader
