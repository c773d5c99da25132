#include "registry/win32_registry.h"

#include <windows.h>

#include <vector>

#include <kit/unique_handle.h>

namespace lanvik {
namespace {

// The predefined handles are 32-bit values sign-extended to the pointer size.
HKEY RootHandle(RootKey root) {
    return reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG>(static_cast<std::uint32_t>(root))));
}

class Win32Key : public RegistryKey {
  public:
    explicit Win32Key(HKEY key) : key_(key) {}

    Status QueryValue(std::string_view name, std::size_t bufferSize,
                      RegistryValue& value) override {
        std::string valueName(name);
        std::vector<BYTE> buffer(bufferSize + 1);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(bufferSize);
        LONG status =
            RegQueryValueExA(key_.get(), valueName.c_str(), nullptr, &type, buffer.data(), &size);
        if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) value.type = type;
        if (status != ERROR_SUCCESS) return static_cast<Status>(status);
        value.bytes.assign(reinterpret_cast<const char*>(buffer.data()), size);
        return kSuccess;
    }

    Status SetValue(std::string_view name, std::uint32_t type, std::string_view bytes) override {
        std::string valueName(name);
        // The system counts a string's NUL when the caller left it out but it follows the data;
        // a guard byte that is not NUL keeps the stored bytes exactly as given.
        std::vector<BYTE> data(bytes.begin(), bytes.end());
        data.push_back('#');
        return static_cast<Status>(RegSetValueExA(key_.get(), valueName.c_str(), 0, type,
                                                  data.data(), static_cast<DWORD>(bytes.size())));
    }

    Status DeleteValue(std::string_view name) override {
        std::string valueName(name);
        return static_cast<Status>(RegDeleteValueA(key_.get(), valueName.c_str()));
    }

    Status EnumKey(std::uint32_t index, std::size_t nameBufferSize, std::string& name) override {
        std::vector<char> buffer(nameBufferSize + 1, '\0');
        DWORD length = static_cast<DWORD>(nameBufferSize);
        LONG status = RegEnumKeyExA(key_.get(), index, buffer.data(), &length, nullptr, nullptr,
                                    nullptr, nullptr);
        if (status != ERROR_SUCCESS) return static_cast<Status>(status);
        name.assign(buffer.data(), length);
        return kSuccess;
    }

    Status EnumValue(std::uint32_t index, std::size_t nameBufferSize, std::size_t dataBufferSize,
                     std::string& name, RegistryValue& value) override {
        std::vector<char> nameBuffer(nameBufferSize + 1, '\0');
        std::vector<BYTE> data(dataBufferSize + 1);
        DWORD nameLength = static_cast<DWORD>(nameBufferSize);
        DWORD dataSize = static_cast<DWORD>(dataBufferSize);
        DWORD type = 0;
        LONG status = RegEnumValueA(key_.get(), index, nameBuffer.data(), &nameLength, nullptr,
                                    &type, data.data(), &dataSize);
        if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) value.type = type;
        if (status != ERROR_SUCCESS) return static_cast<Status>(status);
        name.assign(nameBuffer.data(), nameLength);
        value.bytes.assign(reinterpret_cast<const char*>(data.data()), dataSize);
        return kSuccess;
    }

  private:
    kit::UniqueKey key_;
};

}  // namespace

Status Win32Registry::OpenKey(RootKey root, std::string_view path, std::uint32_t access,
                              std::unique_ptr<RegistryKey>& key) {
    std::string keyPath(path);
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExA(RootHandle(root), keyPath.c_str(), 0, access, &opened);
    if (status != ERROR_SUCCESS) return static_cast<Status>(status);
    key = std::make_unique<Win32Key>(opened);
    return kSuccess;
}

Status Win32Registry::CreateKey(RootKey root, std::string_view path, std::uint32_t access,
                                std::unique_ptr<RegistryKey>& key) {
    std::string keyPath(path);
    HKEY opened = nullptr;
    LONG status = RegCreateKeyExA(RootHandle(root), keyPath.c_str(), 0, nullptr, 0, access, nullptr,
                                  &opened, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<Status>(status);
    key = std::make_unique<Win32Key>(opened);
    return kSuccess;
}

Status Win32Registry::DeleteKey(RootKey root, std::string_view path) {
    std::string keyPath(path);
    return static_cast<Status>(RegDeleteKeyA(RootHandle(root), keyPath.c_str()));
}

}  // namespace lanvik
