// Placeholder until the registry layer lands: only the roots the snapshot list names.
#pragma once

#include <cstdint>

namespace lanvik {

// The four predefined roots, carrying the 32-bit values of their predefined handles.
enum class RootKey : std::uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
};

}  // namespace lanvik
