// In-memory infrared link for native tests: a scripted reader on the simulated clock of the
// in-memory message loop. Each read hears the next scripted answer after its delay (the read
// blocks that long, as the library's does); a read beyond the script hears nothing. Like a real
// link it cannot be opened twice, and it fails on request like a missing library.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "platform/ui/memory_message_loop.h"
#include "platform/infrared/infrared_link.h"

namespace reader {

class MemoryInfraredLink : public InfraredLink {
  public:
    explicit MemoryInfraredLink(MemoryMessageLoop& loop) : loop_(&loop) {}

    std::int32_t Open(std::int32_t port, std::int32_t speed) override;
    void Write(std::string_view command) override;
    void Read(InfraredBuffer& buffer) override;
    void Close() override;

    struct Answer {
        std::optional<std::string> text;  // nullopt: nothing heard
        std::chrono::nanoseconds delay{};
    };
    void AddAnswer(std::string text, std::chrono::nanoseconds delay = {}) {
        answers.push_back({std::move(text), delay});
    }
    void AddSilence(std::chrono::nanoseconds delay = {}) {
        answers.push_back({std::nullopt, delay});
    }
    // The commands written, without their CR (a command without one keeps its text as sent).
    std::vector<std::string> Commands() const;

    std::deque<std::int32_t> openResults;  // one per open, the last repeats; none: 1
    std::deque<Answer> answers;
    // Every call with its simulated time: "open 5 38400 = 1", "write LEGGI1\r", "read", "close".
    struct Call {
        std::chrono::nanoseconds at;
        std::string what;
    };
    std::vector<Call> calls;
    bool open = false;
    std::optional<RaisedError> failure;             // raised by every call, as a missing library's
    std::function<void(std::string_view)> onWrite;  // runs after each write

  private:
    void Record(std::string what);

    MemoryMessageLoop* loop_;
};

}  // namespace reader
