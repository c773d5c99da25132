#include "contract_registry.h"
#include "registry/memory_registry.h"

namespace lanvik {

std::unique_ptr<Registry> MakeContractRegistry() { return std::make_unique<MemoryRegistry>(); }

}  // namespace lanvik
