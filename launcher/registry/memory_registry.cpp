#include "registry/memory_registry.h"

#include <algorithm>

#include "core/ascii_text.h"

namespace lanvik {

struct MemoryRegistry::Node {
    std::string name;
    std::vector<std::shared_ptr<Node>> subkeys;                 // sorted as Windows keeps them
    std::vector<std::pair<std::string, RegistryValue>> values;  // in order of first write
    bool deleted = false;
};

namespace {

using Node = MemoryRegistry::Node;

bool SameName(std::string_view a, std::string_view b) { return SameIgnoringCase(a, b); }

// Windows keeps subkeys sorted by their upper-cased names.
bool SortsBefore(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(ToUpperAscii(x)) <
               static_cast<unsigned char>(ToUpperAscii(y));
    });
}

inline constexpr Status kBadPathname = 161;  // ERROR_BAD_PATHNAME

// Splits a key path into its names; a trailing backslash is allowed, an empty name elsewhere is
// not.
bool SplitPath(std::string_view path, std::vector<std::string_view>& names) {
    names.clear();
    if (path.empty()) return true;
    if (path.back() == '\\') path.remove_suffix(1);
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find('\\', start);
        std::string_view name =
            path.substr(start, end == std::string_view::npos ? end : end - start);
        if (name.empty()) return false;
        names.push_back(name);
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

std::shared_ptr<Node> FindChild(const Node& node, std::string_view name) {
    for (const auto& child : node.subkeys)
        if (SameName(child->name, name)) return child;
    return nullptr;
}

std::shared_ptr<Node> AddChild(Node& node, std::string_view name) {
    auto child = std::make_shared<Node>();
    child->name = std::string(name);
    auto at = std::find_if(node.subkeys.begin(), node.subkeys.end(),
                           [&](const auto& other) { return SortsBefore(name, other->name); });
    node.subkeys.insert(at, child);
    return child;
}

RegistryValue* FindValue(Node& node, std::string_view name) {
    for (auto& [valueName, value] : node.values)
        if (SameName(valueName, name)) return &value;
    return nullptr;
}

void StoreValue(Node& node, std::string_view name, std::uint32_t type, std::string_view bytes) {
    if (RegistryValue* value = FindValue(node, name)) {
        *value = RegistryValue{type, std::string(bytes)};
        return;
    }
    node.values.emplace_back(std::string(name), RegistryValue{type, std::string(bytes)});
}

// The path that failure rules are matched against: the root's short name and the key path, in
// upper case, HKEY_CLASSES_ROOT being seen as HKLM\SOFTWARE\CLASSES.
std::string CanonicalPath(RootKey root, std::string_view path) {
    std::string prefix;
    switch (root) {
        case RootKey::ClassesRoot:
            prefix = "HKLM\\SOFTWARE\\CLASSES";
            break;
        case RootKey::CurrentUser:
            prefix = "HKCU";
            break;
        case RootKey::LocalMachine:
            prefix = "HKLM";
            break;
        case RootKey::Users:
            prefix = "HKU";
            break;
    }
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    if (path.empty()) return prefix;
    return prefix + "\\" + UpperAscii(path);
}

}  // namespace

class MemoryRegistry::Key : public RegistryKey {
  public:
    Key(MemoryRegistry& owner, std::shared_ptr<Node> node, std::uint32_t access, RootKey root,
        std::string path)
        : owner_(owner),
          node_(std::move(node)),
          access_(access),
          root_(root),
          path_(std::move(path)) {
        ++owner_.openKeys_;
    }
    ~Key() override { --owner_.openKeys_; }

    Status QueryValue(std::string_view name, std::size_t bufferSize,
                      RegistryValue& value) override {
        if ((access_ & kKeyQueryValue) == 0) return kAccessDenied;
        if (node_->deleted) return kKeyDeleted;
        const RegistryValue* stored = FindValue(*node_, name);
        if (stored == nullptr) return kFileNotFound;
        value.type = stored->type;
        if (stored->bytes.size() > bufferSize) return kMoreData;
        value.bytes = stored->bytes;
        return kSuccess;
    }

    Status SetValue(std::string_view name, std::uint32_t type, std::string_view bytes) override {
        if ((access_ & kKeySetValue) == 0) return kAccessDenied;
        if (node_->deleted) return kKeyDeleted;
        if (const Rule* rule = owner_.MatchingRule(owner_.writeRules_, root_, path_))
            return rule->status;
        StoreValue(*node_, name, type, bytes);
        return kSuccess;
    }

    Status DeleteValue(std::string_view name) override {
        if ((access_ & kKeySetValue) == 0) return kAccessDenied;
        if (node_->deleted) return kKeyDeleted;
        auto& values = node_->values;
        auto at = std::find_if(values.begin(), values.end(),
                               [&](const auto& entry) { return SameName(entry.first, name); });
        if (at == values.end()) return kFileNotFound;
        if (const Rule* rule = owner_.MatchingRule(owner_.writeRules_, root_, path_))
            return rule->status;
        values.erase(at);
        return kSuccess;
    }

    Status EnumKey(std::uint32_t index, std::size_t nameBufferSize, std::string& name) override {
        if ((access_ & kKeyEnumerateSubKeys) == 0) return kAccessDenied;
        if (node_->deleted) return kKeyDeleted;
        if (index >= node_->subkeys.size()) return kNoMoreItems;
        const std::string& found = node_->subkeys[index]->name;
        if (found.size() + 1 > nameBufferSize) return kMoreData;
        name = found;
        return kSuccess;
    }

    Status EnumValue(std::uint32_t index, std::size_t nameBufferSize, std::size_t dataBufferSize,
                     std::string& name, RegistryValue& value) override {
        if ((access_ & kKeyQueryValue) == 0) return kAccessDenied;
        if (node_->deleted) return kKeyDeleted;
        if (index >= node_->values.size()) return kNoMoreItems;
        const auto& [foundName, found] = node_->values[index];
        if (foundName.size() + 1 > nameBufferSize) return kMoreData;
        value.type = found.type;
        if (found.bytes.size() > dataBufferSize) return kMoreData;
        name = foundName;
        value.bytes = found.bytes;
        return kSuccess;
    }

  private:
    MemoryRegistry& owner_;
    std::shared_ptr<Node> node_;
    std::uint32_t access_;
    RootKey root_;
    std::string path_;
};

MemoryRegistry::MemoryRegistry()
    : currentUser_(std::make_shared<Node>()),
      localMachine_(std::make_shared<Node>()),
      users_(std::make_shared<Node>()) {
    auto software = AddChild(*localMachine_, "SOFTWARE");
    classesRoot_ = AddChild(*software, "Classes");
    AddChild(*currentUser_, "Software");
}

MemoryRegistry::~MemoryRegistry() = default;

std::shared_ptr<Node> MemoryRegistry::RootNode(RootKey root) const {
    switch (root) {
        case RootKey::ClassesRoot:
            return classesRoot_;
        case RootKey::CurrentUser:
            return currentUser_;
        case RootKey::LocalMachine:
            return localMachine_;
        case RootKey::Users:
            return users_;
    }
    return nullptr;
}

std::shared_ptr<Node> MemoryRegistry::Find(RootKey root, std::string_view path) const {
    std::vector<std::string_view> names;
    auto node = RootNode(root);
    if (!node || !SplitPath(path, names)) return nullptr;
    for (auto name : names) {
        node = FindChild(*node, name);
        if (!node) return nullptr;
    }
    return node;
}

const MemoryRegistry::Rule* MemoryRegistry::MatchingRule(const std::vector<Rule>& rules,
                                                         RootKey root,
                                                         std::string_view path) const {
    std::string key = CanonicalPath(root, path);
    for (const Rule& rule : rules) {
        if (key == rule.path ||
            (key.size() > rule.path.size() && key.compare(0, rule.path.size(), rule.path) == 0 &&
             key[rule.path.size()] == '\\'))
            return &rule;
    }
    return nullptr;
}

Status MemoryRegistry::Open(RootKey root, std::string_view path, std::uint32_t access, bool create,
                            std::unique_ptr<RegistryKey>& key) {
    auto node = RootNode(root);
    if (!node) return kInvalidHandle;
    std::vector<std::string_view> names;
    if (!SplitPath(path, names)) return kBadPathname;
    if (const Rule* rule = MatchingRule(openRules_, root, path)) {
        if (rule->status != kSuccess) return rule->status;
    }
    std::string walked;
    for (auto name : names) {
        auto child = FindChild(*node, name);
        if (!child) {
            if (!create) return kFileNotFound;
            if (const Rule* rule = MatchingRule(writeRules_, root, path)) {
                if (rule->status != kSuccess) return rule->status;
                // A creation that does not take effect: the caller gets a key that is not in
                // the registry, so nothing written through it is kept.
                child = std::make_shared<Node>();
                child->name = std::string(name);
            } else {
                child = AddChild(*node, name);
            }
        }
        node = child;
    }
    key = std::make_unique<Key>(*this, node, access, root, std::string(path));
    return kSuccess;
}

Status MemoryRegistry::OpenKey(RootKey root, std::string_view path, std::uint32_t access,
                               std::unique_ptr<RegistryKey>& key) {
    return Open(root, path, access, false, key);
}

Status MemoryRegistry::CreateKey(RootKey root, std::string_view path, std::uint32_t access,
                                 std::unique_ptr<RegistryKey>& key) {
    return Open(root, path, access, true, key);
}

Status MemoryRegistry::DeleteKey(RootKey root, std::string_view path) {
    std::vector<std::string_view> names;
    if (!RootNode(root)) return kInvalidHandle;
    if (!SplitPath(path, names)) return kBadPathname;
    if (names.empty()) return kAccessDenied;  // a root cannot be deleted
    auto node = Find(root, path);
    if (!node) return kFileNotFound;
    if (!node->subkeys.empty()) return kAccessDenied;
    if (const Rule* rule = MatchingRule(writeRules_, root, path)) return rule->status;
    std::string parentPath;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        if (i > 0) parentPath += '\\';
        parentPath += names[i];
    }
    auto parent = Find(root, parentPath);
    auto& siblings = parent->subkeys;
    siblings.erase(std::find(siblings.begin(), siblings.end(), node));
    node->deleted = true;
    return kSuccess;
}

void MemoryRegistry::FailWrites(RootKey root, std::string_view keyPath, Status status) {
    writeRules_.push_back({CanonicalPath(root, keyPath), status});
}

void MemoryRegistry::FailOpens(RootKey root, std::string_view keyPath, Status status) {
    openRules_.push_back({CanonicalPath(root, keyPath), status});
}

void MemoryRegistry::ClearFailures() {
    writeRules_.clear();
    openRules_.clear();
}

void MemoryRegistry::PutKey(RootKey root, std::string_view path) {
    std::vector<std::string_view> names;
    auto node = RootNode(root);
    if (!node || !SplitPath(path, names)) return;
    for (auto name : names) {
        auto child = FindChild(*node, name);
        node = child ? child : AddChild(*node, name);
    }
}

void MemoryRegistry::Put(RootKey root, std::string_view path, std::string_view name,
                         std::uint32_t type, std::string_view bytes) {
    PutKey(root, path);
    if (auto node = Find(root, path)) StoreValue(*node, name, type, bytes);
}

void MemoryRegistry::PutString(RootKey root, std::string_view path, std::string_view name,
                               std::string_view text) {
    std::string bytes(text);
    bytes.push_back('\0');
    Put(root, path, name, kRegSz, bytes);
}

void MemoryRegistry::PutDword(RootKey root, std::string_view path, std::string_view name,
                              std::uint32_t number) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    Put(root, path, name, kRegDword, bytes);
}

std::optional<RegistryValue> MemoryRegistry::Get(RootKey root, std::string_view path,
                                                 std::string_view name) const {
    auto node = Find(root, path);
    if (!node) return std::nullopt;
    if (const RegistryValue* value = FindValue(*node, name)) return *value;
    return std::nullopt;
}

bool MemoryRegistry::HasKey(RootKey root, std::string_view path) const {
    return Find(root, path) != nullptr;
}

std::vector<std::string> MemoryRegistry::SubkeyNames(RootKey root, std::string_view path) const {
    std::vector<std::string> names;
    if (auto node = Find(root, path))
        for (const auto& child : node->subkeys) names.push_back(child->name);
    return names;
}

std::vector<std::string> MemoryRegistry::ValueNames(RootKey root, std::string_view path) const {
    std::vector<std::string> names;
    if (auto node = Find(root, path))
        for (const auto& [name, value] : node->values) names.push_back(name);
    return names;
}

}  // namespace lanvik
