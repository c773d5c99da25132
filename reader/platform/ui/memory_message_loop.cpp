#include "platform/ui/memory_message_loop.h"

#include <algorithm>

namespace reader {

void MemoryMessageLoop::Post(std::chrono::nanoseconds due, std::function<void()> handler) {
    posted_.push_back({due, nextOrder_++, std::move(handler)});
}

void MemoryMessageLoop::ProcessPendingMessages() {
    ++processCalls;
    while (true) {
        auto next = std::min_element(posted_.begin(), posted_.end(), [](auto& a, auto& b) {
            return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
        if (next == posted_.end() || next->due > now) return;
        auto handler = std::move(next->handler);
        posted_.erase(next);
        handler();
    }
}

void MemoryMessageLoop::WaitForMessage(std::chrono::nanoseconds longest) {
    ++waitCalls;
    auto until = now + std::max(longest, std::chrono::nanoseconds(0));
    for (const auto& item : posted_) until = std::min(until, std::max(item.due, now));
    now = until;
}

}  // namespace reader
