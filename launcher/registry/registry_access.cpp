#include "registry/registry_access.h"

#include <memory>

namespace lanvik {
namespace {

// Text up to the first NUL, as a C string reads it.
std::string_view UpToNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

}  // namespace

Status ReadStringValue(Registry& registry, RootKey root, std::string_view keyPath,
                       std::string_view valueName, std::string& text) {
    std::uint32_t type = kRegNone;
    return ReadStringValue(registry, root, keyPath, valueName, text, type);
}

Status ReadStringValue(Registry& registry, RootKey root, std::string_view keyPath,
                       std::string_view valueName, std::string& text, std::uint32_t& type) {
    std::unique_ptr<RegistryKey> key;
    Status status = registry.OpenKey(root, keyPath, kKeyRead, key);
    if (status != kSuccess) return status;
    RegistryValue value;
    status = key->QueryValue(valueName, kStringValueBufferSize, value);
    if (status != kSuccess) return status;
    if (value.type != kRegSz && value.type != kRegExpandSz) return kInvalidData;
    if (!value.bytes.empty() && value.bytes.back() != '\0') return kInvalidData;
    text = std::string(UpToNul(value.bytes));
    type = value.type;
    return kSuccess;
}

Status ReadDwordValue(Registry& registry, RootKey root, std::string_view keyPath,
                      std::string_view valueName, std::uint32_t& number) {
    std::unique_ptr<RegistryKey> key;
    Status status = registry.OpenKey(root, keyPath, kKeyRead, key);
    if (status != kSuccess) return status;
    RegistryValue value;
    status = key->QueryValue(valueName, 4, value);
    if (status != kSuccess) return status;
    // A REG_DWORD stored with fewer than four bytes holds no whole number either.
    if (value.type != kRegDword || value.bytes.size() != 4) return kInvalidData;
    std::uint32_t result = 0;
    for (int i = 3; i >= 0; --i)
        result = (result << 8) | static_cast<unsigned char>(value.bytes[i]);
    number = result;
    return kSuccess;
}

Status WriteStringValue(Registry& registry, RootKey root, std::string_view keyPath,
                        std::string_view valueName, std::optional<std::string_view> text,
                        int createFlag) {
    std::unique_ptr<RegistryKey> key;
    Status status = createFlag == kCreateKey ? registry.CreateKey(root, keyPath, kKeyReadWrite, key)
                                             : registry.OpenKey(root, keyPath, kKeyReadWrite, key);
    if (status != kSuccess || !text) return status;
    std::string bytes(UpToNul(*text));
    bytes.push_back('\0');
    return key->SetValue(valueName, kRegSz, bytes);
}

Status WriteExpandStringValue(Registry& registry, RootKey root, std::string_view keyPath,
                              std::string_view valueName, std::string_view text) {
    std::unique_ptr<RegistryKey> key;
    Status status = registry.CreateKey(root, keyPath, kKeyReadWrite, key);
    if (status != kSuccess) return status;
    std::string bytes(UpToNul(text));
    bytes.push_back('\0');
    return key->SetValue(valueName, kRegExpandSz, bytes);
}

Status WriteDwordValue(Registry& registry, RootKey root, std::string_view keyPath,
                       std::string_view valueName, std::uint32_t number) {
    std::unique_ptr<RegistryKey> key;
    Status status = registry.CreateKey(root, keyPath, kKeyReadWrite, key);
    if (status != kSuccess) return status;
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return key->SetValue(valueName, kRegDword, bytes);
}

Status ReadFirstMachineValue(Registry& registry, std::string_view keyPath, std::string& name,
                             RegistryValue& value, std::size_t dataBufferSize) {
    std::unique_ptr<RegistryKey> key;
    Status status = registry.OpenKey(RootKey::LocalMachine, keyPath, kKeyRead, key);
    if (status != kSuccess) return status;
    std::string found;
    status = key->EnumValue(0, kFirstValueNameSize, dataBufferSize, found, value);
    if (status == kSuccess) name = found;
    return status;
}

Status DeleteKeyTree(Registry& registry, RootKey root, std::string_view keyPath) {
    // An empty path would name the root itself and wipe everything below it.
    if (keyPath.find_first_not_of('\\') == std::string_view::npos) return kInvalidParameter;
    {
        std::unique_ptr<RegistryKey> key;
        Status status = registry.OpenKey(root, keyPath, kKeyReadWrite, key);
        if (status != kSuccess) return status;
        std::string previous;
        while (true) {
            // Always index 0: each deleted child moves the next one to the front.
            std::string child;
            if (key->EnumKey(0, kDeleteTreeNameSize, child) != kSuccess) break;
            // A child that is still there after its deletion succeeded would be met forever.
            if (!previous.empty() && child == previous) break;
            std::string childPath(keyPath);
            childPath += '\\';
            childPath += child;
            status = DeleteKeyTree(registry, root, childPath);
            if (status != kSuccess) return status;
            previous = child;
        }
    }
    return registry.DeleteKey(root, keyPath);
}

Status DeleteClassKeyTree(Registry& registry, std::string_view keyPath) {
    return DeleteKeyTree(registry, RootKey::ClassesRoot, keyPath);
}

std::vector<std::string> ListSubkeys(Registry& registry, RootKey root, std::string_view keyPath) {
    std::vector<std::string> names;
    std::unique_ptr<RegistryKey> key;
    if (registry.OpenKey(root, keyPath, kKeyRead, key) != kSuccess) return names;
    std::uint32_t count = 0;
    std::string name;
    while (key->EnumKey(count, kSubkeyNameSize, name) == kSuccess) ++count;
    names.reserve(count);
    for (std::uint32_t index = 0; index < count; ++index) {
        std::string entry;
        if (key->EnumKey(index, kSubkeyNameSize, entry) != kSuccess) entry.clear();
        names.push_back(entry);
    }
    return names;
}

Status ReadApplicationValue(Registry& registry, std::string_view keyText,
                            std::string_view valueName, std::string& value, std::string& title) {
    std::string path = keyText.empty() ? std::string() : StripQuotes(keyText);
    std::string name = valueName.empty() ? std::string() : StripQuotes(valueName);
    RootKey root = RootKey::LocalMachine;
    if (path.compare(0, 5, "HKLM\\") == 0) {
        path.erase(0, 5);
    } else if (path.compare(0, 5, "HKCU\\") == 0) {
        root = RootKey::CurrentUser;
        path.erase(0, 5);
    }
    Status status = ReadStringValue(registry, root, path, name, value);
    if (status != kSuccess) return status;
    ReadStringValue(registry, RootKey::LocalMachine, path + "\\Run-Time Options", "TitleBar",
                    title);
    return status;
}

std::string StripQuotes(std::string_view text) {
    if (!text.empty() && text.front() == '"') text.remove_prefix(1);
    if (!text.empty() && text.back() == '"') text.remove_suffix(1);
    return std::string(text);
}

std::string RootKeyName(RootKey root) {
    switch (root) {
        case RootKey::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case RootKey::CurrentUser:
            return "HKEY_CURRENT_USER";
        case RootKey::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case RootKey::Users:
            return "HKEY_USERS";
    }
    return std::string();
}

}  // namespace lanvik
