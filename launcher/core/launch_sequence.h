// The launch: maintenance modes, the stored command line, finding Access and choosing what to
// start, preparing the registry, starting Access and watching for its main window, and putting
// the registry back. The registry is changed only once a program to start has been chosen, and
// from then on it is restored whichever way the launch ends.
#pragma once

#include <string>
#include <string_view>

#include "core/command_line.h"
#include "core/launch_state.h"

namespace lanvik {

inline constexpr const char* kWarningTitle = "Lanvik Warning";

// Runs one launch to its end; every way it ends returns here.
void RunLaunchSequence(const LaunchPlatform& platform, const LaunchOptions& options);

// The version number of an "Access.Application.N" ProgID: the decimal number after its first 19
// characters; 0 when there are no digits there or the text is not longer than 19 characters.
long CurVerNumber(std::string_view progId);

}  // namespace lanvik
