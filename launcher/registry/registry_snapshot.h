// The registry snapshot: a fixed list of class registrations (and one Office value) that the
// launcher reads before it prepares the registry and writes back once Access is running. In file
// mode the captured values travel between two runs in "~QDReg.dat" in the temporary folder,
// Blowfish-encrypted text lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/files.h"
#include "registry/registry.h"
#include "registry/system.h"

namespace lanvik {

inline constexpr std::string_view kSnapshotFileName = "~QDReg.dat";

// One registry value of the list and what was captured of it.
struct RegistryValueEntry {
    RootKey root = RootKey::ClassesRoot;
    std::string keyPath;
    std::string valueName;   // empty for the key's default value
    bool present = false;    // captured (or found in the file) and to be written back
    std::uint32_t type = 0;  // kRegSz, kRegExpandSz or kRegDword once known
    std::uint32_t number = 0;
    std::string text;
};

// Captures the value's current content: a string (REG_SZ, or REG_EXPAND_SZ held unexpanded) or
// a number; present only when the read succeeded.
void ReadCurrentValue(Registry& registry, RegistryValueEntry& entry);
// Writes a present entry back with its type, creating its key when missing; statuses are ignored.
void WriteBackValue(Registry& registry, const RegistryValueEntry& entry);

// Root name, key path and, for a named value, the value name, joined by backslashes: what a
// line of the file is matched against.
std::string EntryPath(const RegistryValueEntry& entry);
// The entry's line of the file (without its line feed): root and key path, a tab, the value
// name, "=", then "REG_SZ", "REG_EXPAND_SZ" or "REG_DWORD", a tab and the value. Nothing for an
// entry that is not present, or whose text a line cannot carry (a line feed or a NUL in it).
std::optional<std::string> EntryLine(const RegistryValueEntry& entry);
// "REG_SZ" and "REG_EXPAND_SZ" take the text as it stands, "REG_DWORD" an unsigned decimal
// number; any other type word, or a number that is not one, leaves the entry alone.
void SetEntryFromText(RegistryValueEntry& entry, std::string_view typeWord,
                      std::string_view valueText);

// The maximal runs of characters that are not delimiters, with their trailing spaces removed;
// no empty fields.
std::vector<std::string> SplitFields(std::string_view text, std::string_view delimiters);

// One line of the file, taken apart: path, tab, value name, "=", type word, tab, value text.
// The value text is everything after that tab: it may be empty and hold "=", tabs and trailing
// spaces. The path is the line's path, without its trailing spaces, joined to the value name as
// EntryPath joins them.
struct SnapshotLine {
    std::string path;
    std::string typeWord;
    std::string valueText;
};
std::optional<SnapshotLine> ParseSnapshotLine(std::string_view line);

// The file's bytes from the plain text: padded with 0xFF to whole blocks, then encrypted.
std::string SealSnapshotText(std::string_view plain);
// The plain text from the file's bytes: decrypted (when they are whole blocks), trailing 0xFF
// removed, cut at the first NUL.
std::string OpenSnapshotBytes(std::string bytes);

class RegistrySnapshot {
  public:
    RegistrySnapshot(Registry& registry, System& system, Files& files)
        : registry_(registry), system_(system), files_(files) {}

    // Capture also writes the snapshot file; restore first reads it (and deletes it).
    bool fileMode = false;

    // Appends the 190 values of the fixed list, in order.
    void BuildDefaultList();
    // Removes the first entry of that root and key path naming the default value.
    bool RemoveEntry(RootKey root, std::string_view keyPath);
    // Reads every entry; in file mode also writes the snapshot file, replacing an older one.
    void CaptureSnapshot();
    // In file mode first loads the entries from the snapshot file and deletes it; then writes
    // every present entry back.
    void RestoreSnapshot();

    // The file's plain text: the lines of the present entries, each ended by a line feed.
    std::string SnapshotText() const;
    // Takes the values of the text's lines into the entries whose paths they name.
    void LoadSnapshotText(std::string_view text);

    const std::vector<RegistryValueEntry>& entries() const { return entries_; }
    std::vector<RegistryValueEntry>& entries() { return entries_; }

  private:
    std::string FilePath();

    Registry& registry_;
    System& system_;
    Files& files_;
    std::vector<RegistryValueEntry> entries_;
};

}  // namespace lanvik
