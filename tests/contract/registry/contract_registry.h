// The registry the contract suite runs against: the in-memory one natively, the real one in the
// Windows build.
#pragma once

#include <memory>

#include "registry/registry.h"

namespace lanvik {

std::unique_ptr<Registry> MakeContractRegistry();

}  // namespace lanvik
