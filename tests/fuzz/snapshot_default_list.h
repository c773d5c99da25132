// The snapshot's fixed list for the snapshot targets: built once, and copied for each input into
// vectors kept from the input before, whose entries already hold room for their paths, so that
// the list's few hundred strings are not allocated again for every input.
#pragma once

#include <vector>

#include "core/memory_files.h"
#include "registry/memory_registry.h"
#include "registry/memory_system.h"
#include "registry/registry_snapshot.h"

namespace lanvik {

inline const std::vector<RegistryValueEntry>& DefaultList() {
    static const std::vector<RegistryValueEntry> list = [] {
        MemoryRegistry registry;
        MemorySystem system;
        MemoryFiles files;
        RegistrySnapshot snapshot(registry, system, files);
        snapshot.BuildDefaultList();
        return snapshot.entries();
    }();
    return list;
}

// Gives the snapshot a fresh copy of the list in the storage of `kept`; ReturnList gives that
// storage back for the next input. (Without the return the next copy merely allocates again.)
inline void LendDefaultList(RegistrySnapshot& snapshot, std::vector<RegistryValueEntry>& kept) {
    kept = DefaultList();
    snapshot.entries().swap(kept);
}

inline void ReturnList(RegistrySnapshot& snapshot, std::vector<RegistryValueEntry>& kept) {
    snapshot.entries().swap(kept);
}

}  // namespace lanvik
