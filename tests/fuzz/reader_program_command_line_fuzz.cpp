// The reader program's command line, from any component folder, result path (Windows-1252
// texts) and options. What holds: the line's last ten ","-fields read back as the options (the
// numbers in decimal, the flags "1" or "0", the fixed "0"); what comes before them is the
// program path in the folder, one blank and the result path, each quoted exactly when it holds
// a blank; and when neither path holds a quote, exactly one blank stands outside quotes, so the
// program and its fields are two arguments.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string>

#include "core/downloads/reader_program_command_line.h"
#include "core/text_encoding.h"
#include "fuzz_check.h"

namespace {

using namespace reader;

constexpr int kTrailingFields = 10;

bool HasBlank(const std::wstring& text) { return text.find(L' ') != std::wstring::npos; }

std::wstring AsPassed(const std::wstring& path) {
    return HasBlank(path) ? L"\"" + path + L"\"" : path;
}

// A field that must be a decimal number: exactly `value`, written without anything around it.
bool ReadsAs(const std::wstring& field, long value) {
    if (field.empty() || field[0] == L' ' || field[0] == L'+') return false;
    wchar_t* end = nullptr;
    errno = 0;
    const long read = std::wcstol(field.c_str(), &end, 10);
    return errno == 0 && *end == L'\0' && read == value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    ReaderProgramOptions options;
    options.PortaCOM = input.ConsumeIntegral<std::int32_t>();
    options.Baud = input.ConsumeIntegral<std::int32_t>();
    options.ModFile = input.ConsumeIntegral<std::int32_t>();
    options.CR = input.ConsumeBool();
    options.LF = input.ConsumeBool();
    options.MostraErrore = input.ConsumeBool();
    options.MostraFile = input.ConsumeBool();
    options.MostraMaschera = input.ConsumeBool();
    options.Timeout = input.ConsumeIntegral<std::int16_t>();
    const std::wstring folder = FromWindows1252(input.ConsumeRandomLengthString(300));
    const std::wstring result = FromWindows1252(input.ConsumeRemainingBytesAsString());

    const std::wstring withBackslash = WithFinalBackslash(folder);
    FUZZ_CHECK(withBackslash == folder || withBackslash == folder + L"\\");
    FUZZ_CHECK(!withBackslash.empty() && withBackslash.back() == L'\\');

    const std::wstring line = ReaderProgramCommandLine(folder, result, options);
    std::wstring fields[kTrailingFields];
    std::size_t end = line.size();
    for (int i = kTrailingFields - 1; i >= 0; --i) {
        FUZZ_CHECK(end > 0);
        const std::size_t comma = line.rfind(L',', end - 1);
        FUZZ_CHECK(comma != std::wstring::npos);
        fields[i] = line.substr(comma + 1, end - comma - 1);
        end = comma;
    }
    FUZZ_CHECK(ReadsAs(fields[0], options.PortaCOM) && ReadsAs(fields[1], options.Baud) &&
               ReadsAs(fields[2], options.ModFile));
    const bool flags[] = {
        options.CR, options.LF, options.MostraErrore, options.MostraFile, options.MostraMaschera,
        false};
    for (int i = 0; i < 6; ++i) FUZZ_CHECK(fields[3 + i] == (flags[i] ? L"1" : L"0"));
    FUZZ_CHECK(ReadsAs(fields[9], options.Timeout));
    const std::wstring program = withBackslash + std::wstring(kReaderProgramName);
    FUZZ_CHECK(line.substr(0, end) == AsPassed(program) + L" " + AsPassed(result));

    if (folder.find(L'"') != std::wstring::npos || result.find(L'"') != std::wstring::npos)
        return 0;
    bool quoted = false;
    std::size_t blanks = 0, firstBlank = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == L'"') quoted = !quoted;
        if (line[i] == L' ' && !quoted && blanks++ == 0) firstBlank = i;
    }
    FUZZ_CHECK(!quoted && blanks == 1 && firstBlank == AsPassed(program).size());
    return 0;
}
