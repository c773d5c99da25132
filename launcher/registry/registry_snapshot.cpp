#include "registry/registry_snapshot.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

#include "registry/blowfish.h"
#include "registry/registry_access.h"
#include "registry/snapshot_list.h"

namespace lanvik {
namespace {

// The file's key and initial chaining block, in stored byte order.
constexpr std::array<std::uint8_t, 16> kSnapshotKey = {
    0x5A, 0x3C, 0x96, 0xE1, 0xF2, 0x0B, 0x7D, 0x48, 0xA1, 0xC3, 0xE5, 0xF7, 0x09, 0xB2, 0xD4, 0xE6,
};
constexpr std::array<std::uint8_t, 8> kSnapshotChainBlock = {
    0x3D, 0x9A, 0x6C, 0x1E, 0x7B, 0x20, 0x4F, 0x58,
};
constexpr char kPadByte = '\xFF';

std::uint32_t LittleEndianWord(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
           (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
}

// The stored chaining block is read as two little-endian halves (unlike the data blocks) and
// encrypted once before it starts the chain.
BlowfishBlock FirstChainingValue(const Blowfish& cipher) {
    return cipher.Encrypt(
        {LittleEndianWord(&kSnapshotChainBlock[0]), LittleEndianWord(&kSnapshotChainBlock[4])});
}

// The file's key never changes: its schedule runs once, not before every seal and unseal.
const Blowfish& SnapshotCipher() {
    static const Blowfish cipher(kSnapshotKey);
    return cipher;
}

std::span<std::uint8_t> Bytes(std::string& buffer) {
    return {reinterpret_cast<std::uint8_t*>(buffer.data()), buffer.size()};
}

// Whether EntryPath(entry) is rootName, a backslash and rest, compared piece by piece without
// writing the entry's path: the length first, which tells most entries apart at once, the root name
// last.
bool IsEntryPath(const RegistryValueEntry& entry, std::string_view rootName,
                 std::string_view rest) {
    const std::string& key = entry.keyPath;
    const std::string& name = entry.valueName;
    if (rest.size() != key.size() + (name.empty() ? 0 : name.size() + 1)) return false;
    if (!rest.starts_with(key)) return false;
    if (!name.empty() && (rest[key.size()] != '\\' || rest.substr(key.size() + 1) != name))
        return false;
    return RootKeyName(entry.root) == rootName;
}

}  // namespace

void ReadCurrentValue(Registry& registry, RegistryValueEntry& entry) {
    entry.type = kRegSz;
    // An expandable string keeps its type, so that the restore does not freeze its variables.
    Status status = ReadStringValue(registry, entry.root, entry.keyPath, entry.valueName,
                                    entry.text, entry.type);
    if (status == kInvalidData) {
        entry.type = kRegDword;
        status = ReadDwordValue(registry, entry.root, entry.keyPath, entry.valueName, entry.number);
    }
    entry.present = status == kSuccess;
}

void WriteBackValue(Registry& registry, const RegistryValueEntry& entry) {
    if (!entry.present) return;
    if (entry.type == kRegSz) {
        WriteStringValue(registry, entry.root, entry.keyPath, entry.valueName,
                         std::string_view(entry.text), kCreateKey);
    } else if (entry.type == kRegExpandSz) {
        WriteExpandStringValue(registry, entry.root, entry.keyPath, entry.valueName, entry.text);
    } else if (entry.type == kRegDword) {
        WriteDwordValue(registry, entry.root, entry.keyPath, entry.valueName, entry.number);
    }
}

std::string EntryPath(const RegistryValueEntry& entry) {
    std::string path = RootKeyName(entry.root);
    path.append("\\").append(entry.keyPath);
    if (!entry.valueName.empty()) path.append("\\").append(entry.valueName);
    return path;
}

std::optional<std::string> EntryLine(const RegistryValueEntry& entry) {
    if (!entry.present) return {};
    std::string line = RootKeyName(entry.root);
    line.append("\\").append(entry.keyPath).append("\t").append(entry.valueName).append("=");
    if (entry.type == kRegSz || entry.type == kRegExpandSz) {
        // A line feed would split the line and a NUL would end the whole text early: such a
        // value is left out of the file rather than restored cut short.
        if (entry.text.find_first_of(std::string_view("\n\0", 2)) != std::string::npos) return {};
        return line.append(entry.type == kRegSz ? "REG_SZ\t" : "REG_EXPAND_SZ\t")
            .append(entry.text);
    }
    if (entry.type == kRegDword)
        return line.append("REG_DWORD\t").append(std::to_string(entry.number));
    return {};
}

void SetEntryFromText(RegistryValueEntry& entry, std::string_view typeWord,
                      std::string_view valueText) {
    if (typeWord == "REG_SZ" || typeWord == "REG_EXPAND_SZ") {
        entry.present = true;
        entry.type = typeWord == "REG_SZ" ? kRegSz : kRegExpandSz;
        entry.text = std::string(valueText);
    } else if (typeWord == "REG_DWORD") {
        std::uint32_t number = 0;
        const char* end = valueText.data() + valueText.size();
        auto [stop, error] = std::from_chars(valueText.data(), end, number);
        if (valueText.empty() || error != std::errc() || stop != end) return;
        entry.present = true;
        entry.type = kRegDword;
        entry.number = number;
    }
}

std::vector<std::string> SplitFields(std::string_view text, std::string_view delimiters) {
    std::vector<std::string> fields;
    std::size_t at = text.find_first_not_of(delimiters);
    while (at != std::string_view::npos) {
        std::size_t end = text.find_first_of(delimiters, at);
        std::string_view field = text.substr(at, end == std::string_view::npos ? end : end - at);
        std::size_t kept = field.find_last_not_of(' ');
        fields.emplace_back(field.substr(0, kept == std::string_view::npos ? 0 : kept + 1));
        at = end == std::string_view::npos ? end : text.find_first_not_of(delimiters, end);
    }
    return fields;
}

std::optional<SnapshotLine> ParseSnapshotLine(std::string_view line) {
    std::size_t pathEnd = line.find('\t');
    if (pathEnd == std::string_view::npos) return {};
    std::size_t nameEnd = line.find('=', pathEnd + 1);
    if (nameEnd == std::string_view::npos) return {};
    std::size_t typeEnd = line.find('\t', nameEnd + 1);
    if (typeEnd == std::string_view::npos) return {};

    SnapshotLine parsed;
    // Blanks after the key path pad the field; they were never part of the key.
    std::string_view keyPath = line.substr(0, pathEnd);
    std::size_t keptPath = keyPath.find_last_not_of(' ');
    parsed.path =
        std::string(keyPath.substr(0, keptPath == std::string_view::npos ? 0 : keptPath + 1));
    std::string_view name = line.substr(pathEnd + 1, nameEnd - pathEnd - 1);
    if (!name.empty()) parsed.path.append("\\").append(name);
    parsed.typeWord = std::string(line.substr(nameEnd + 1, typeEnd - nameEnd - 1));
    parsed.valueText = std::string(line.substr(typeEnd + 1));
    return parsed;
}

std::string SealSnapshotText(std::string_view plain) {
    std::string buffer(plain);
    buffer.resize((buffer.size() + 7) / 8 * 8, kPadByte);
    SnapshotCipher().EncryptCbc(Bytes(buffer), FirstChainingValue(SnapshotCipher()));
    return buffer;
}

std::string OpenSnapshotBytes(std::string bytes) {
    if (bytes.empty()) return bytes;
    SnapshotCipher().DecryptCbc(Bytes(bytes), FirstChainingValue(SnapshotCipher()));
    std::size_t kept = bytes.find_last_not_of(kPadByte);
    bytes.resize(kept == std::string::npos ? 0 : kept + 1);
    std::size_t nul = bytes.find('\0');
    if (nul != std::string::npos) bytes.resize(nul);
    return bytes;
}

void RegistrySnapshot::BuildDefaultList() {
    for (const auto& value : SnapshotValueList()) {
        RegistryValueEntry entry;
        entry.root = value.root;
        entry.keyPath = std::string(value.keyPath);
        entry.valueName = std::string(value.valueName);
        entries_.push_back(std::move(entry));
    }
}

bool RegistrySnapshot::RemoveEntry(RootKey root, std::string_view keyPath) {
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
        if (entry->root == root && entry->keyPath == keyPath && entry->valueName.empty()) {
            entries_.erase(entry);
            return true;
        }
    }
    return false;
}

std::string RegistrySnapshot::SnapshotText() const {
    std::string text;
    for (const auto& entry : entries_) {
        if (auto line = EntryLine(entry)) {
            text += *line;
            text += '\n';
        }
    }
    return text;
}

void RegistrySnapshot::LoadSnapshotText(std::string_view text) {
    // Lines are cut at line feeds only: a value keeps its trailing spaces.
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        if (auto line = ParseSnapshotLine(text.substr(at, end - at))) {
            // A root name holds no backslash: the line's root ends at its first one.
            const std::string_view path = line->path;
            const std::size_t rootEnd = path.find('\\');
            if (rootEnd != std::string_view::npos) {
                const std::string_view rootName = path.substr(0, rootEnd);
                const std::string_view rest = path.substr(rootEnd + 1);
                for (auto& entry : entries_) {
                    if (IsEntryPath(entry, rootName, rest)) {
                        SetEntryFromText(entry, line->typeWord, line->valueText);
                        break;
                    }
                }
            }
        }
        at = end + 1;
    }
}

std::string RegistrySnapshot::FilePath() {
    std::string folder = GetTempFolder(system_);
    // Without a temporary folder there is no place for the file: never the working folder.
    if (folder.empty()) return {};
    return folder + std::string(kSnapshotFileName);
}

void RegistrySnapshot::CaptureSnapshot() {
    for (auto& entry : entries_) ReadCurrentValue(registry_, entry);
    if (!fileMode) return;
    std::string path = FilePath();
    if (path.empty()) return;
    files_.WriteNewFile(path, SealSnapshotText(SnapshotText()), FileSharing::None, true);
}

void RegistrySnapshot::RestoreSnapshot() {
    if (fileMode) {
        std::string path = FilePath();
        if (auto file = path.empty() ? nullptr : files_.OpenHeld(path, FileSharing::None)) {
            if (auto bytes = file->ReadAll())
                LoadSnapshotText(OpenSnapshotBytes(std::move(*bytes)));
            file.reset();
            files_.RemoveFile(path);
        }
    }
    for (const auto& entry : entries_) WriteBackValue(registry_, entry);
}

}  // namespace lanvik
