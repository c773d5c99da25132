#include "core/run_log.h"

#include <cstring>

namespace lanvik {

RunLog::RunLog(Files& files) {
    auto desktop = files.DesktopFolder();
    if (!desktop) return;
    path_ = *desktop + "\\" + std::string(kLogFileName);
    file_ = files.OpenForAppend(path_);
    if (!file_) return;
    WriteLogLine(std::string(kLogSeparator).c_str());
}

bool RunLog::WriteLogLine(const char* text) {
    if (text == nullptr || !file_) return false;
    if (!file_->Write(std::string_view(text, std::strlen(text)))) return false;
    file_->Write("\r\n");
    return true;
}

void RunLog::Close() {
    if (!file_) return;
    WriteLogLine(std::string(kLogSeparator).c_str());
    WriteLogLine("\r\n");
    file_.reset();
}

void LogService::Open(Files& files) { log_ = std::make_unique<RunLog>(files); }

void LogService::Line(std::string_view text) {
    if (log_) log_->WriteLogLine(std::string(text).c_str());
}

void LogService::Close() {
    if (!log_) return;
    log_->Close();
    log_.reset();
}

}  // namespace lanvik
