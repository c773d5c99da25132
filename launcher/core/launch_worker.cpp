#include "core/launch_worker.h"

namespace lanvik {

void RunLaunchWorker(const std::string& commandLineCopy, LogService& log, Files& files,
                     Dialogs& dialogs, const LaunchSequence& launch) {
    bool logging = false;
    LaunchOptions options = ParseCommandLine(commandLineCopy, logging);
    if (logging) log.setLoggingEnabled();
    if (log.loggingEnabled()) {
        log.Open(files);
        log.Line("Lanvik_" + std::to_string(kTargetVersion) + " version: " + kVersionText);
    }
    if (commandLineCopy.empty()) {
        dialogs.ShowMessage("Invalid Command line", kWindowTitle, kBoxOk | kBoxIconExclamation);
        return;
    }
    if (launch) launch(options, commandLineCopy);
}

}  // namespace lanvik
