// An in-memory registry for native tests. It behaves like the Windows registry wherever the
// launcher can tell: names compared without regard to case (kept as first written), default
// values, raw value types and bytes, subkeys enumerated in the order Windows keeps them (sorted by
// upper-cased name), values in the order they were first written, access rights checked, and
// HKEY_CLASSES_ROOT seen as HKEY_LOCAL_MACHINE\Software\Classes. Writes and opens can be made to
// fail on request, and open keys are counted so that tests can tell that none was left open.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry.h"

namespace lanvik {

class MemoryRegistry : public Registry {
  public:
    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    Status OpenKey(RootKey root, std::string_view path, std::uint32_t access,
                   std::unique_ptr<RegistryKey>& key) override;
    Status CreateKey(RootKey root, std::string_view path, std::uint32_t access,
                     std::unique_ptr<RegistryKey>& key) override;
    Status DeleteKey(RootKey root, std::string_view path) override;

    // Failures on request. A rule covers the key it names and every key below it.
    // Every write under the key (setting or deleting a value, creating a missing key, deleting a
    // key) fails with status; a status of 0 makes the write report success and change nothing,
    // like a write that does not take effect.
    void FailWrites(RootKey root, std::string_view keyPath, Status status = kAccessDenied);
    // Opening or creating the key fails with status.
    void FailOpens(RootKey root, std::string_view keyPath, Status status = kAccessDenied);
    void ClearFailures();

    // Keys open right now.
    int openKeyCount() const { return openKeys_; }

    // Test set-up and inspection, bypassing the failure rules. Keys are created as needed.
    void Put(RootKey root, std::string_view path, std::string_view name, std::uint32_t type,
             std::string_view bytes);
    // A REG_SZ value with its terminating NUL, as Windows programs write it.
    void PutString(RootKey root, std::string_view path, std::string_view name,
                   std::string_view text);
    void PutDword(RootKey root, std::string_view path, std::string_view name, std::uint32_t number);
    void PutKey(RootKey root, std::string_view path);
    std::optional<RegistryValue> Get(RootKey root, std::string_view path,
                                     std::string_view name) const;
    bool HasKey(RootKey root, std::string_view path) const;
    // Names of the subkeys and of the values, in enumeration order; empty for a missing key.
    std::vector<std::string> SubkeyNames(RootKey root, std::string_view path) const;
    std::vector<std::string> ValueNames(RootKey root, std::string_view path) const;

    struct Node;  // one key

  private:
    struct Rule {
        std::string path;  // canonical, upper case
        Status status;
    };
    class Key;

    std::shared_ptr<Node> RootNode(RootKey root) const;
    std::shared_ptr<Node> Find(RootKey root, std::string_view path) const;
    const Rule* MatchingRule(const std::vector<Rule>& rules, RootKey root,
                             std::string_view path) const;
    Status Open(RootKey root, std::string_view path, std::uint32_t access, bool create,
                std::unique_ptr<RegistryKey>& key);

    std::shared_ptr<Node> classesRoot_, currentUser_, localMachine_, users_;
    std::vector<Rule> writeRules_, openRules_;
    int openKeys_ = 0;
};

}  // namespace lanvik
