// The in-memory message loop and clock for native tests: a discrete-event simulation in which
// notifications are posted with the simulated time at which they arrive and waiting advances the
// simulated clock, so a silent device times out in no real time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "platform/ui/user_interface.h"

namespace reader {

class MemoryMessageLoop : public MessageLoop, public MonotonicClock {
  public:
    void ProcessPendingMessages() override;
    void WaitForMessage(std::chrono::nanoseconds longest) override;
    std::chrono::nanoseconds Now() const override { return now; }

    // Runs handler when the simulated time reaches due and the loop processes messages.
    void Post(std::chrono::nanoseconds due, std::function<void()> handler);

    std::chrono::nanoseconds now{std::chrono::seconds(1000)};
    int processCalls = 0;
    int waitCalls = 0;

  private:
    // In the order they run: by due time, then as posted. A sorted map, since a download posts
    // a notification per piece it receives and takes them from the front one by one.
    std::map<std::pair<std::chrono::nanoseconds, std::uint64_t>, std::function<void()>> posted_;
    std::uint64_t nextOrder_ = 0;
};

}  // namespace reader
