// The launcher's options, read off the front of its command line; the rest is Access's.
#pragma once

#include <cstdint>
#include <string>

namespace lanvik {

inline constexpr int kShowMaximized = 3;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowNormal = 1;
inline constexpr std::int32_t kDefaultWaitMilliseconds = 15000;

struct LaunchOptions {
    bool openKeys = false;
    bool captureOnly = false;
    bool restoreOnly = false;
    bool noProgress = false;
    int showCommand = kShowMaximized;
    std::int32_t waitMilliseconds = kDefaultWaitMilliseconds;
    std::string commandKey;
    std::string commandValueName = "CmdLine";
    std::string remainingCommandLine;
};

// Removes leading spaces (code 32 only; tabs stay).
std::string TrimLeadingSpaces(const std::string& text);

// Reads the options; sets loggingEnabled when -LOGGING is given. Accepts every input.
LaunchOptions ParseCommandLine(const std::string& commandLine, bool& loggingEnabled);

}  // namespace lanvik
