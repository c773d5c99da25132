#include "platform/ui/memory_message_loop.h"
#include "infrared_bench.h"
#include "platform/infrared/memory_infrared_link.h"

namespace reader {
namespace {

class MemoryInfraredBench : public InfraredBench {
  public:
    InfraredLink& Link(const std::vector<std::int32_t>& opens,
                       const std::vector<std::optional<std::string>>& answers) override {
        link_ = std::make_unique<MemoryInfraredLink>(loop_);
        link_->openResults.assign(opens.begin(), opens.end());
        for (const auto& answer : answers) link_->answers.push_back({answer, {}});
        return *link_;
    }
    std::vector<std::string> Received() override {
        std::vector<std::string> received;
        for (const auto& call : link_->calls) {
            if (call.what.rfind("write ", 0) == 0) received.push_back(call.what.substr(6));
        }
        return received;
    }

  private:
    MemoryMessageLoop loop_;
    std::unique_ptr<MemoryInfraredLink> link_;
};

}  // namespace

std::unique_ptr<InfraredBench> MakeInfraredBench() {
    return std::make_unique<MemoryInfraredBench>();
}

}  // namespace reader
