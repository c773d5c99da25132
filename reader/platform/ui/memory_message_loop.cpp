#include "platform/ui/memory_message_loop.h"

#include <algorithm>

namespace reader {

void MemoryMessageLoop::Post(std::chrono::nanoseconds due, std::function<void()> handler) {
    posted_.emplace(std::pair(due, nextOrder_++), std::move(handler));
}

void MemoryMessageLoop::ProcessPendingMessages() {
    ++processCalls;
    // A handler may post more: each time the earliest is taken afresh.
    while (!posted_.empty() && posted_.begin()->first.first <= now) {
        auto handler = std::move(posted_.begin()->second);
        posted_.erase(posted_.begin());
        handler();
    }
}

void MemoryMessageLoop::WaitForMessage(std::chrono::nanoseconds longest) {
    ++waitCalls;
    auto until = now + std::max(longest, std::chrono::nanoseconds(0));
    if (!posted_.empty()) until = std::min(until, std::max(posted_.begin()->first.first, now));
    now = until;
}

}  // namespace reader
