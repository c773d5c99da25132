// The registry of the running Windows system.
#pragma once

#include "registry/registry.h"

namespace lanvik {

class Win32Registry : public Registry {
  public:
    Status OpenKey(RootKey root, std::string_view path, std::uint32_t access,
                   std::unique_ptr<RegistryKey>& key) override;
    Status CreateKey(RootKey root, std::string_view path, std::uint32_t access,
                     std::unique_ptr<RegistryKey>& key) override;
    Status DeleteKey(RootKey root, std::string_view path) override;
};

}  // namespace lanvik
