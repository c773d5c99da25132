// The optional run log: one section per logged run, appended to "LanvikLog.txt" on the user's
// desktop. Nothing about it is ever reported to the user: when it cannot be written the launch
// goes on as if logging were off.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/files.h"

namespace lanvik {

inline constexpr std::string_view kLogFileName = "LanvikLog.txt";
inline constexpr std::string_view kLogSeparator =
    "===================================================";

class RunLog {
  public:
    // OpenRunLog: finds the desktop, opens the file at its end and writes the separator.
    explicit RunLog(Files& files);
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Appends the text and CR LF; returns whether the text itself was written. A null text
    // writes nothing.
    bool WriteLogLine(const char* text);
    // CloseRunLog: ends the section (separator, two empty lines) and closes the file.
    void Close();

    const std::string& path() const { return path_; }
    bool isOpen() const { return file_ != nullptr; }

  private:
    std::string path_;
    std::unique_ptr<AppendFile> file_;
};

// The process-wide logging flag and run log. Callers test loggingEnabled() before composing a
// line, so that no text is built when logging is off.
class LogService {
  public:
    bool loggingEnabled() const { return enabled_; }
    void setLoggingEnabled() { enabled_ = true; }

    void Open(Files& files);
    // Writes one line when a run log exists; does nothing otherwise.
    void Line(std::string_view text);
    // Closes and frees the run log, if there is one.
    void Close();

  private:
    bool enabled_ = false;
    std::unique_ptr<RunLog> log_;
};

}  // namespace lanvik
