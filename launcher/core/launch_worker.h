// What the worker thread does between the frame starting it and the frame closing the window.
#pragma once

#include <functional>
#include <string>

#include "core/command_line.h"
#include "core/dialogs.h"
#include "core/files.h"
#include "core/run_log.h"

namespace lanvik {

inline constexpr const char* kWindowTitle = "Lanvik";
inline constexpr int kTargetVersion = 2003;
inline constexpr const char* kVersionText = "2.1.0.41";

// The launch itself, handed the options and the raw command-line copy.
using LaunchSequence =
    std::function<void(const LaunchOptions& options, const std::string& commandLineCopy)>;

// Reads the options, opens the run log, rejects an empty command line and runs the launch.
// The caller posts WM_CLOSE afterwards, whatever happened here.
void RunLaunchWorker(const std::string& commandLineCopy, LogService& log, Files& files,
                     Dialogs& dialogs, const LaunchSequence& launch);

}  // namespace lanvik
