// The launcher's command line: any bytes the shortcut may hold. What holds for every input: the
// options come off the front only, the rest is left exactly as it stood, and a command line
// written back from the options that were read gives the same options again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/command_line.h"
#include "fuzz_check.h"

namespace {

using lanvik::LaunchOptions;

bool IsSuffix(const std::string& text, const std::string& of) {
    return text.size() <= of.size() && of.compare(of.size() - text.size(), text.size(), text) == 0;
}

// The options as a user would write them, followed by the rest. Read values never hold a
// double quote, so quoting them is exact.
std::string WriteBack(const LaunchOptions& options, bool logging) {
    std::string line;
    if (options.openKeys) line += "-OPENKEYS ";
    if (options.captureOnly) line += "-capture ";
    if (options.restoreOnly) line += "-Restore ";
    if (options.noProgress) line += "-NOPROGRESS ";
    if (options.showCommand == lanvik::kShowMinimized) line += "-MIN ";
    if (options.showCommand == lanvik::kShowNormal) line += "-normal ";
    if (logging) line += "-LOGGING ";
    line += "-WAIT=" + std::to_string(options.waitMilliseconds) + " ";
    if (!options.commandKey.empty()) line += "-CMD=\"" + options.commandKey + "\" ";
    line += "-VALUE=\"" + options.commandValueName + "\" ";
    return line + options.remainingCommandLine;
}

LaunchOptions DefaultsWithRest(const std::string& rest) {
    LaunchOptions options;
    options.remainingCommandLine = rest;
    return options;
}

bool SameOptions(const LaunchOptions& a, const LaunchOptions& b) {
    return a.openKeys == b.openKeys && a.captureOnly == b.captureOnly &&
           a.restoreOnly == b.restoreOnly && a.noProgress == b.noProgress &&
           a.showCommand == b.showCommand && a.waitMilliseconds == b.waitMilliseconds &&
           a.commandKey == b.commandKey && a.commandValueName == b.commandValueName &&
           a.remainingCommandLine == b.remainingCommandLine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string commandLine(reinterpret_cast<const char*>(data), size);
    bool logging = false;
    const LaunchOptions options = lanvik::ParseCommandLine(commandLine, logging);

    const std::string& rest = options.remainingCommandLine;
    FUZZ_CHECK(IsSuffix(rest, commandLine));
    // Reading stops at the first text that is no option, after the blanks before it.
    FUZZ_CHECK(rest.empty() || (rest[0] != '-' && rest[0] != ' '));
    FUZZ_CHECK(options.showCommand == lanvik::kShowMaximized ||
               options.showCommand == lanvik::kShowMinimized ||
               options.showCommand == lanvik::kShowNormal);
    FUZZ_CHECK(commandLine.find(options.commandKey) != std::string::npos);
    FUZZ_CHECK(options.commandKey.find('"') == std::string::npos);
    FUZZ_CHECK(options.commandValueName.find('"') == std::string::npos);
    if (commandLine.find('-') == std::string::npos) {
        FUZZ_CHECK(rest == lanvik::TrimLeadingSpaces(commandLine));
        FUZZ_CHECK(SameOptions(options, DefaultsWithRest(rest)) && !logging);
    }

    // What is left for Access holds no more options.
    bool againLogging = false;
    const LaunchOptions again = lanvik::ParseCommandLine(rest, againLogging);
    FUZZ_CHECK(SameOptions(again, DefaultsWithRest(rest)) && !againLogging);

    bool writtenLogging = false;
    const LaunchOptions written =
        lanvik::ParseCommandLine(WriteBack(options, logging), writtenLogging);
    FUZZ_CHECK(SameOptions(written, options) && writtenLogging == logging);
    return 0;
}
