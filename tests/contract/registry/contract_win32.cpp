#include "contract_registry.h"
#include "registry/win32_registry.h"

namespace lanvik {

std::unique_ptr<Registry> MakeContractRegistry() { return std::make_unique<Win32Registry>(); }

}  // namespace lanvik
