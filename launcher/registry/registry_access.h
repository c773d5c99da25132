// The registry operations the launcher is built from. Each opens its key, does one thing, closes
// the key and returns the Win32 status of the last registry call; none throws, and out arguments
// keep their previous content on failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry.h"

namespace lanvik {

// Size of the buffer a string value is read into; longer values fail with kMoreData.
inline constexpr std::size_t kStringValueBufferSize = 4096;
// Buffers of the first-value read and of the subkey listing.
inline constexpr std::size_t kFirstValueNameSize = 1024;
inline constexpr std::size_t kFirstValueDataSize = 1024;
inline constexpr std::size_t kSubkeyNameSize = 1024;
// Subkey name buffer of the tree deletion.
inline constexpr std::size_t kDeleteTreeNameSize = 256;

// The create flag of WriteStringValue: 1 creates a missing key, any other value only opens it.
inline constexpr int kCreateKey = 1;
inline constexpr int kOpenKeyOnly = 0;

// Reads a REG_SZ or REG_EXPAND_SZ (unexpanded) value. kInvalidData for another type or for a
// string whose stored bytes do not end in a NUL; a stored size of 0 gives the empty text.
Status ReadStringValue(Registry& registry, RootKey root, std::string_view keyPath,
                       std::string_view valueName, std::string& text);
// The same, also giving the stored type (kRegSz or kRegExpandSz); both set only on success.
Status ReadStringValue(Registry& registry, RootKey root, std::string_view keyPath,
                       std::string_view valueName, std::string& text, std::uint32_t& type);

// Reads a REG_DWORD value; kInvalidData for another type.
Status ReadDwordValue(Registry& registry, RootKey root, std::string_view keyPath,
                      std::string_view valueName, std::uint32_t& number);

// Writes a REG_SZ value with its NUL. With createFlag == kCreateKey a missing key is created;
// otherwise a missing key fails with kFileNotFound. A null text (std::nullopt) opens or creates
// the key and writes nothing.
Status WriteStringValue(Registry& registry, RootKey root, std::string_view keyPath,
                        std::string_view valueName, std::optional<std::string_view> text,
                        int createFlag);

// Writes a REG_EXPAND_SZ value with its NUL, the text unexpanded, creating the key when missing.
Status WriteExpandStringValue(Registry& registry, RootKey root, std::string_view keyPath,
                              std::string_view valueName, std::string_view text);

// Writes a REG_DWORD value, creating the key when missing.
Status WriteDwordValue(Registry& registry, RootKey root, std::string_view keyPath,
                       std::string_view valueName, std::uint32_t number);

// Reads the value at index 0 of an HKEY_LOCAL_MACHINE key (name buffer 1024 characters, data
// buffer dataBufferSize bytes). The name is set only on success; value gets the type and the raw
// bytes.
Status ReadFirstMachineValue(Registry& registry, std::string_view keyPath, std::string& name,
                             RegistryValue& value,
                             std::size_t dataBufferSize = kFirstValueDataSize);

// Deletes a key and everything below it, depth first. kFileNotFound for a missing key.
Status DeleteKeyTree(Registry& registry, RootKey root, std::string_view keyPath);
// The same under HKEY_CLASSES_ROOT.
Status DeleteClassKeyTree(Registry& registry, std::string_view keyPath);

// Names of the subkeys in enumeration order; empty when the key cannot be opened. A name that
// cannot be read on the second pass leaves an empty entry.
std::vector<std::string> ListSubkeys(Registry& registry, RootKey root, std::string_view keyPath);

// Reads the application's stored value: keyText may begin with "HKLM\" or "HKCU\" (exact case)
// to choose the root, else HKEY_LOCAL_MACHINE; one pair of surrounding quotes is stripped from
// the key and the value name. On success the title is read from the value "TitleBar" of the
// key's subkey "Run-Time Options", always under HKEY_LOCAL_MACHINE (its failure is ignored).
// Returns the status of the first read.
Status ReadApplicationValue(Registry& registry, std::string_view keyText,
                            std::string_view valueName, std::string& value, std::string& title);

// Removes one leading double quote, then one trailing double quote.
std::string StripQuotes(std::string_view text);

// "HKEY_CLASSES_ROOT" and so on; the empty text for any other root.
std::string RootKeyName(RootKey root);

}  // namespace lanvik
