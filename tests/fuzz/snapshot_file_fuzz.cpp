// The snapshot file "~QDReg.dat" as the -RESTORE run finds it: any bytes (a damaged or foreign
// file), or (first byte odd) a text sealed the way -CAPTURE seals it, so that the fuzzer also
// reaches the lines behind the cipher. What holds: unsealing gives text without NULs, sealing and
// unsealing give back a text that ends in a line feed, the restore loads exactly what that
// text holds, and the file is gone afterwards with no key left open.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/memory_files.h"
#include "fuzz_check.h"
#include "snapshot_default_list.h"
#include "registry/memory_registry.h"
#include "registry/memory_system.h"
#include "registry/registry_snapshot.h"

namespace {

using namespace lanvik;

// The list storage of the two snapshots, kept from one input to the next.
std::vector<RegistryValueEntry> restoreList, expectedList;

// A text as the file can carry it: the pad bytes at its end and everything from a NUL on are
// not part of it.
std::string Carried(std::string text) {
    const std::size_t kept = text.find_last_not_of('\xFF');
    text.resize(kept == std::string::npos ? 0 : kept + 1);
    return text.substr(0, text.find('\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool sealed = (data[0] & 1) != 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string bytes = sealed ? SealSnapshotText(input) : input;
    const std::string text = OpenSnapshotBytes(bytes);
    FUZZ_CHECK(text.find('\0') == std::string::npos);
    if (sealed) {
        FUZZ_CHECK(bytes.size() % 8 == 0 && bytes.size() >= input.size() &&
                   bytes.size() < input.size() + 8);
        // Pad bytes are told from text only at the very end; a captured text always ends in a
        // line feed, so none of it is lost.
        FUZZ_CHECK(text == Carried(input));
    } else if (bytes.size() % 8 != 0) {
        // Bytes that are no whole blocks are read as they stand.
        FUZZ_CHECK(text == Carried(bytes));
    } else {
        FUZZ_CHECK(OpenSnapshotBytes(SealSnapshotText(text + "\n")) == text + "\n");
    }

    MemoryRegistry registry;
    MemorySystem system;
    MemoryFiles files;
    const std::string path = system.tempFolder + std::string(kSnapshotFileName);
    files.files[path] = bytes;

    RegistrySnapshot restore(registry, system, files);
    restore.fileMode = true;
    LendDefaultList(restore, restoreList);
    restore.RestoreSnapshot();
    FUZZ_CHECK(files.files.count(path) == 0 && !files.IsHeld(path));
    FUZZ_CHECK(registry.openKeyCount() == 0);

    RegistrySnapshot expected(registry, system, files);
    LendDefaultList(expected, expectedList);
    expected.LoadSnapshotText(text);
    FUZZ_CHECK(restore.SnapshotText() == expected.SnapshotText());
    ReturnList(restore, restoreList);
    ReturnList(expected, expectedList);
    return 0;
}
