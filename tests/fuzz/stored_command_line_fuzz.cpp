// The stored command line: the key and value name come from the -CMD and -VALUE options of any
// command line, the stored value and the application's title may be of any type and hold any
// bytes. What holds: the read returns a documented status, closes every key, gives text only
// from a well-formed string value (up to its NUL), reads HKEY_CURRENT_USER only when the key
// says "HKCU\", and leaves its outputs alone when it fails.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/command_line.h"
#include "fuzz_check.h"
#include "registry/memory_registry.h"
#include "registry/registry_access.h"

namespace {

using namespace lanvik;

constexpr std::uint32_t kTypes[] = {kRegSz, kRegExpandSz, kRegDword, kRegBinary, kRegMultiSz};

struct PutValue {
    RootKey root = RootKey::LocalMachine;
    std::string path, name;
    std::uint32_t type = kRegSz;
    std::string bytes;

    // The text a string read gives for this value, when it gives one.
    bool Readable() const {
        return (type == kRegSz || type == kRegExpandSz) && bytes.size() <= kStringValueBufferSize &&
               (bytes.empty() || bytes.back() == '\0');
    }
    std::string Text() const { return bytes.substr(0, bytes.find('\0')); }
};

PutValue ConsumeValue(FuzzedDataProvider& input, std::string path, std::string name) {
    PutValue value;
    value.root = input.ConsumeBool() ? RootKey::CurrentUser : RootKey::LocalMachine;
    value.path = std::move(path);
    value.name = std::move(name);
    value.type = input.PickValueInArray(kTypes);
    // Values longer than the read buffer, without making every input that long.
    if (input.ConsumeBool()) value.bytes.assign(kStringValueBufferSize - 8, 'x');
    value.bytes += input.ConsumeRandomLengthString(64);
    if (input.ConsumeBool()) value.bytes.push_back('\0');
    return value;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::string path = input.ConsumeRandomLengthString(48);
    std::string name = input.ConsumeRandomLengthString(16);
    const PutValue stored = ConsumeValue(input, path, name);
    const PutValue title = ConsumeValue(input, path + "\\Run-Time Options", "TitleBar");
    bool logging = false;
    const LaunchOptions options = ParseCommandLine(input.ConsumeRemainingBytesAsString(), logging);

    MemoryRegistry registry;
    for (const PutValue* value : {&stored, &title})
        registry.Put(value->root, value->path, value->name, value->type, value->bytes);

    const std::string unset = "\x01unset";
    std::string text = unset, titleText = unset;
    const Status status = ReadApplicationValue(registry, options.commandKey,
                                               options.commandValueName, text, titleText);

    FUZZ_CHECK(registry.openKeyCount() == 0);
    // ERROR_BAD_PATHNAME (161): a key path Windows refuses, such as one with an empty name.
    FUZZ_CHECK(status == kSuccess || status == kFileNotFound || status == kAccessDenied ||
               status == kInvalidData || status == kInvalidParameter || status == kMoreData ||
               status == 161);
    if (status != kSuccess) {
        FUZZ_CHECK(text == unset && titleText == unset);
        return 0;
    }
    // The text is one of the values put there, read as a C string.
    const bool fromStored = stored.Readable() && text == stored.Text();
    const bool fromTitle = title.Readable() && text == title.Text();
    FUZZ_CHECK(fromStored || fromTitle);
    FUZZ_CHECK(text.find('\0') == std::string::npos);
    const bool userKey = StartsWith(options.commandKey, "HKCU\\");
    FUZZ_CHECK(!fromStored || fromTitle || (stored.root == RootKey::CurrentUser) == userKey);
    // The title is read under HKEY_LOCAL_MACHINE only, and only from a string value.
    FUZZ_CHECK(
        titleText == unset ||
        (title.root == RootKey::LocalMachine && title.Readable() && titleText == title.Text()) ||
        (stored.root == RootKey::LocalMachine && stored.Readable() && titleText == stored.Text()));
    return 0;
}
