#include "platform/infrared/memory_infrared_link.h"

#include <algorithm>
#include <utility>

namespace reader {

void MemoryInfraredLink::Record(std::string what) {
    calls.push_back({loop_->now, std::move(what)});
}

std::int32_t MemoryInfraredLink::Open(std::int32_t port, std::int32_t speed) {
    if (failure) throw *failure;
    std::int32_t result = 1;
    if (!openResults.empty()) {
        result = openResults.front();
        if (openResults.size() > 1) openResults.pop_front();
    }
    if (open) result = 0;
    if (result != 0) open = true;
    Record("open " + std::to_string(port) + " " + std::to_string(speed) + " = " +
           std::to_string(result));
    return result;
}

void MemoryInfraredLink::Write(std::string_view command) {
    if (failure) throw *failure;
    Record("write " + std::string(command));
    if (onWrite) onWrite(command);
}

void MemoryInfraredLink::Read(InfraredBuffer& buffer) {
    if (failure) throw *failure;
    Record("read");
    if (!open || answers.empty()) return;
    const Answer answer = std::move(answers.front());
    answers.pop_front();
    loop_->now += answer.delay;
    if (!answer.text) return;
    std::copy_n(answer.text->begin(), std::min(answer.text->size(), buffer.size()), buffer.begin());
}

void MemoryInfraredLink::Close() {
    if (failure) throw *failure;
    Record("close");
    open = false;
}

std::vector<std::string> MemoryInfraredLink::Commands() const {
    std::vector<std::string> commands;
    for (const Call& call : calls) {
        if (call.what.rfind("write ", 0) != 0) continue;
        std::string command = call.what.substr(6);
        if (!command.empty() && command.back() == '\r') command.pop_back();
        commands.push_back(std::move(command));
    }
    return commands;
}

}  // namespace reader
