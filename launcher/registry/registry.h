// The raw registry: the few primitives of the Windows registry API that the launcher uses, with
// the Win32 status codes they return. Win32Registry talks to the real registry; MemoryRegistry
// is a stand-in for native tests that behaves the same way wherever the launcher can tell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace lanvik {

// A Win32 error code; 0 is success.
using Status = std::uint32_t;

inline constexpr Status kSuccess = 0;
inline constexpr Status kFileNotFound = 2;   // ERROR_FILE_NOT_FOUND: missing key or value
inline constexpr Status kAccessDenied = 5;   // ERROR_ACCESS_DENIED
inline constexpr Status kInvalidHandle = 6;  // ERROR_INVALID_HANDLE
inline constexpr Status kInvalidData = 13;   // ERROR_INVALID_DATA: wrong type, unterminated text
inline constexpr Status kInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
inline constexpr Status kMoreData = 234;         // ERROR_MORE_DATA: the buffer is too small
inline constexpr Status kNoMoreItems = 259;      // ERROR_NO_MORE_ITEMS: enumeration past the end
inline constexpr Status kKeyDeleted = 1018;      // ERROR_KEY_DELETED: the open key was deleted

// The four predefined roots, carrying the 32-bit values of their predefined handles.
enum class RootKey : std::uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
};

// Value types, with the numbers Windows gives them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Access rights.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyReadWrite = kKeyRead | kKeySetValue | kKeyCreateSubKey;

// A value as stored: its type and its bytes exactly (a string's bytes include its NUL only when
// it was written with one).
struct RegistryValue {
    std::uint32_t type = kRegNone;
    std::string bytes;
};

// An open key. Destroying it closes the handle.
class RegistryKey {
  public:
    virtual ~RegistryKey() = default;

    // RegQueryValueExA with a buffer of bufferSize bytes. A value larger than the buffer gives
    // kMoreData (value.type is then set, value.bytes left alone). The empty name is the default
    // value.
    virtual Status QueryValue(std::string_view name, std::size_t bufferSize,
                              RegistryValue& value) = 0;
    // RegSetValueExA storing exactly these bytes (no NUL is added to a string).
    virtual Status SetValue(std::string_view name, std::uint32_t type, std::string_view bytes) = 0;
    // RegDeleteValueA.
    virtual Status DeleteValue(std::string_view name) = 0;
    // RegEnumKeyExA: the name of the subkey at index, for a buffer of nameBufferSize characters
    // (NUL included); kNoMoreItems past the last one, kMoreData when the name does not fit.
    virtual Status EnumKey(std::uint32_t index, std::size_t nameBufferSize, std::string& name) = 0;
    // RegEnumValueA: name and value at index, for a name buffer of nameBufferSize characters and
    // a data buffer of dataBufferSize bytes. On kMoreData the outputs are unspecified.
    virtual Status EnumValue(std::uint32_t index, std::size_t nameBufferSize,
                             std::size_t dataBufferSize, std::string& name,
                             RegistryValue& value) = 0;
};

class Registry {
  public:
    virtual ~Registry() = default;

    // RegOpenKeyExA. The path is relative to the root, components separated by backslashes; the
    // empty path opens the root itself. Names are compared without regard to letter case.
    virtual Status OpenKey(RootKey root, std::string_view path, std::uint32_t access,
                           std::unique_ptr<RegistryKey>& key) = 0;
    // RegCreateKeyExA (no class, options 0): opens the key, creating it and any missing parents.
    virtual Status CreateKey(RootKey root, std::string_view path, std::uint32_t access,
                             std::unique_ptr<RegistryKey>& key) = 0;
    // RegDeleteKeyA: deletes a key that has no subkeys (kAccessDenied when it has some).
    virtual Status DeleteKey(RootKey root, std::string_view path) = 0;
};

}  // namespace lanvik
