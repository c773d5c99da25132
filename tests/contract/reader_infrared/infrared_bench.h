// What the infrared link's contract suite runs against: natively the in-memory link, in the
// Windows build the library IrLib.dll (the stand-in beside the program). The bench scripts the
// reader behind the link and tells what it received.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/infrared/infrared_link.h"

namespace reader {

class InfraredBench {
  public:
    virtual ~InfraredBench() = default;
    // A new link to a reader whose opens give these results (the last one repeats) and whose
    // reads hear these answers in turn (nullopt: nothing).
    virtual InfraredLink& Link(const std::vector<std::int32_t>& opens,
                               const std::vector<std::optional<std::string>>& answers) = 0;
    // The texts the reader received, as sent.
    virtual std::vector<std::string> Received() = 0;
};
std::unique_ptr<InfraredBench> MakeInfraredBench();

}  // namespace reader
