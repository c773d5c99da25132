// The registry values the launcher captures before it prepares the registry and puts back once
// Access is running. The permission repair program walks the same keys, so this list is the one
// place that names them.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry.h"

namespace lanvik {

struct SnapshotValueName {
    RootKey root;
    std::string_view keyPath;
    std::string_view valueName;  // empty for the key's default value
};

inline constexpr std::size_t kSnapshotValueCount = 190;

// The values in capture order: 189 class registrations, then the Office key's value.
std::span<const SnapshotValueName> SnapshotValueList();

// The keys of the list as paths under HKEY_LOCAL_MACHINE (class keys under "SOFTWARE\Classes"),
// each once, in list order: the keys whose permissions the repair program resets.
std::vector<std::string> SnapshotMachineKeyPaths();

}  // namespace lanvik
