// The snapshot file's plain text, as it comes out of the cipher: lines, each line's fields and
// its value text. What holds for every text: the list itself never changes, only well-formed
// lines make entries present, the text written back from what was read reads back the same, and
// what the restore writes into the registry a capture reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/memory_files.h"
#include "fuzz_check.h"
#include "snapshot_default_list.h"
#include "registry/memory_registry.h"
#include "registry/memory_system.h"
#include "registry/registry_access.h"
#include "registry/registry_snapshot.h"

namespace {

using namespace lanvik;

// The list storage of the two snapshots, kept from one input to the next.
std::vector<RegistryValueEntry> loadedList, rereadList;

// The value an entry carries: a number for REG_DWORD, a text otherwise (a number read after a
// text leaves the old text behind, unused).
bool SameValue(const RegistryValueEntry& a, const RegistryValueEntry& b) {
    if (a.present != b.present) return false;
    if (!a.present) return true;
    if (a.type != b.type) return false;
    return a.type == kRegDword ? a.number == b.number : a.text == b.text;
}

void CheckFields(std::string_view text) {
    const std::vector<std::string> fields = SplitFields(text, "=\t");
    std::size_t kept = 0;
    for (const std::string& field : fields) {
        FUZZ_CHECK(!field.empty() || text.find(' ') != std::string_view::npos);
        FUZZ_CHECK(field.find_first_of("=\t") == std::string::npos);
        FUZZ_CHECK(field.empty() || field.back() != ' ');
        kept += field.size();
    }
    FUZZ_CHECK(kept <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    MemoryRegistry registry;
    MemorySystem system;
    MemoryFiles files;

    RegistrySnapshot loaded(registry, system, files);
    LendDefaultList(loaded, loadedList);
    loaded.LoadSnapshotText(text);

    const auto& entries = loaded.entries();
    FUZZ_CHECK(entries.size() == DefaultList().size());
    std::size_t present = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const RegistryValueEntry& entry = entries[i];
        const RegistryValueEntry& listed = DefaultList()[i];
        FUZZ_CHECK(entry.root == listed.root && entry.keyPath == listed.keyPath &&
                   entry.valueName == listed.valueName);
        if (!entry.present) continue;
        ++present;
        FUZZ_CHECK(entry.type == kRegSz || entry.type == kRegExpandSz || entry.type == kRegDword);
        // A value comes from one line and the lines are cut at line feeds.
        FUZZ_CHECK(entry.text.find('\n') == std::string::npos);
        FUZZ_CHECK(text.find(entry.keyPath) != std::string_view::npos);
        FUZZ_CHECK(text.find(entry.valueName + "=") != std::string_view::npos);
    }

    // Written back and read again: the same values, except the texts a line cannot carry.
    const std::string written = loaded.SnapshotText();
    RegistrySnapshot reread(registry, system, files);
    LendDefaultList(reread, rereadList);
    reread.LoadSnapshotText(written);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const RegistryValueEntry& entry = entries[i];
        const bool carried =
            !entry.present || entry.type == kRegDword || entry.text.find('\0') == std::string::npos;
        FUZZ_CHECK(carried ? SameValue(entry, reread.entries()[i]) : !reread.entries()[i].present);
    }
    FUZZ_CHECK(reread.SnapshotText() == written);

    // Restored into an empty registry and captured again, value by value.
    if (present > 0) {
        loaded.RestoreSnapshot();
        FUZZ_CHECK(registry.openKeyCount() == 0);
        for (const RegistryValueEntry& entry : entries) {
            if (!entry.present) continue;
            RegistryValueEntry captured = entry;
            captured.present = false;
            captured.text.clear();
            ReadCurrentValue(registry, captured);
            const std::string stored = entry.text.substr(0, entry.text.find('\0'));
            if (entry.type != kRegDword && stored.size() + 1 > kStringValueBufferSize) {
                FUZZ_CHECK(!captured.present);
                continue;
            }
            FUZZ_CHECK(captured.present && captured.type == entry.type);
            FUZZ_CHECK(entry.type == kRegDword ? captured.number == entry.number
                                               : captured.text == stored);
        }
    }

    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        CheckFields(text.substr(at, end - at));
        at = end + 1;
    }
    ReturnList(loaded, loadedList);
    ReturnList(reread, rereadList);
    return 0;
}
