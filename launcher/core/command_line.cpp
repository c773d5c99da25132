#include "core/command_line.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/ascii_text.h"

namespace lanvik {
namespace {

// "=" and a double-quoted value; without a closing quote the rest of the text is the value.
// Leaves the text alone and returns an empty value when it does not start that way.
std::string TakeQuotedValue(std::string& text) {
    if (text.size() <= 2 || text[0] != '=' || text[1] != '"') return {};
    auto close = text.find('"', 2);
    if (close == std::string::npos) {
        std::string value = text.substr(2);
        text.clear();
        return value;
    }
    std::string value = text.substr(2, close - 2);
    text.erase(0, close + 1);
    return value;
}

// "=" and a decimal number up to the next space, read like the C library's atoi; a number out of
// the 32-bit range saturates, as the Windows run time's atoi does.
void TakeWaitValue(std::string& text, std::int32_t& wait) {
    if (text.size() <= 1 || text[0] != '=') return;
    auto end = text.find(' ', 1);
    std::string value = text.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    text.erase(0, end == std::string::npos ? text.size() : end + 1);
    if (value.empty()) return;
    long long parsed = std::strtoll(value.c_str(), nullptr, 10);
    if (parsed > INT32_MAX) parsed = INT32_MAX;
    if (parsed < INT32_MIN) parsed = INT32_MIN;
    wait = static_cast<std::int32_t>(parsed);
}

}  // namespace

std::string TrimLeadingSpaces(const std::string& text) {
    auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

LaunchOptions ParseCommandLine(const std::string& commandLine, bool& loggingEnabled) {
    LaunchOptions options;
    std::string text = TrimLeadingSpaces(commandLine);
    while (!text.empty() && text[0] == '-') {
        auto nameEnd = text.find_first_of(" =");
        std::string name = text.substr(0, nameEnd);
        text.erase(0, name.size());

        if (SameIgnoringCase(name, "-OPENKEYS")) {
            options.openKeys = true;
        } else if (SameIgnoringCase(name, "-CAPTURE")) {
            options.captureOnly = true;
        } else if (SameIgnoringCase(name, "-RESTORE")) {
            options.restoreOnly = true;
        } else if (SameIgnoringCase(name, "-NOPROGRESS")) {
            options.noProgress = true;
        } else if (SameIgnoringCase(name, "-MIN")) {
            options.showCommand = kShowMinimized;
        } else if (SameIgnoringCase(name, "-NORMAL")) {
            options.showCommand = kShowNormal;
        } else if (SameIgnoringCase(name, "-LOGGING")) {
            loggingEnabled = true;
        } else if (SameIgnoringCase(name, "-WAIT")) {
            TakeWaitValue(text, options.waitMilliseconds);
        } else if (SameIgnoringCase(name, "-CMD")) {
            options.commandKey = TakeQuotedValue(text);
        } else if (SameIgnoringCase(name, "-VALUE")) {
            options.commandValueName = TakeQuotedValue(text);
        } else if (SameIgnoringCase(name, "-TRUSTEDFOLDER")) {
            TakeQuotedValue(text);  // taken off the command line; it has no other effect
        }
        if (text.empty()) break;
        text = TrimLeadingSpaces(text);
    }
    options.remainingCommandLine = text;
    return options;
}

}  // namespace lanvik
