// Registering a type library and creating GUIDs: the two COM services the per-version preparation
// needs. Win32TypeLibraries and Win32Guids use the system; the in-memory ones write what
// registering would write (or fail on request) and give GUIDs in a fixed order, for native tests.
#pragma once

#include <string>

namespace lanvik {

class TypeLibraries {
  public:
    virtual ~TypeLibraries() = default;
    // Loads the type library from the file at path (ANSI code page, at most 2048 characters once
    // widened) and registers it with no help folder. Returns success; callers check the registry
    // rather than trust it.
    virtual bool RegisterTypeLibrary(const std::string& path) = 0;
};

class Guids {
  public:
    virtual ~Guids() = default;
    // A new GUID in its braced string form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; the empty
    // text when it cannot be made or converted.
    virtual std::string NewGuidText() = 0;
};

}  // namespace lanvik
