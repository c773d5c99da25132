// In-memory type libraries and GUIDs for native tests. A registration writes, through the
// registry interface (so that its failure rules apply), the keys RegisterTypeLib writes for a
// library of the known files; an unknown file, or failOnRequest, fails without writing.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "registry/registry.h"
#include "registry/type_library.h"

namespace lanvik {

struct TypeLibraryFile {
    std::string libraryId;  // braced, e.g. "{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}"
    std::string version;    // "9.0"
    std::string name;       // the library's help string, the default value of the version key
};

class MemoryTypeLibraries : public TypeLibraries {
  public:
    explicit MemoryTypeLibraries(Registry& registry) : registry_(registry) {}
    bool RegisterTypeLibrary(const std::string& path) override;

    // Type library files by path (compared without regard to case).
    void AddFile(const std::string& path, TypeLibraryFile library);

    std::vector<std::string> registered;  // every path asked for, in order
    bool failOnRequest = false;

  private:
    Registry& registry_;
    std::map<std::string, TypeLibraryFile> files_;  // by upper-cased path
};

// GUIDs counted up from {00000000-0000-0000-0000-000000000001}; the texts of `queued` first.
class MemoryGuids : public Guids {
  public:
    std::string NewGuidText() override;

    std::vector<std::string> queued;  // handed out first, in order ("" plays a failed conversion)
    std::uint32_t next = 1;
    int made = 0;
};

}  // namespace lanvik
