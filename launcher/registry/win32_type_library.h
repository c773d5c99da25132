// Type-library registration and GUID creation of the running Windows system.
#pragma once

#include "registry/type_library.h"

namespace lanvik {

class Win32TypeLibraries : public TypeLibraries {
  public:
    bool RegisterTypeLibrary(const std::string& path) override;
};

class Win32Guids : public Guids {
  public:
    std::string NewGuidText() override;
};

}  // namespace lanvik
