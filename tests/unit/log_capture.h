// A run log written into an in-memory file system, read back line by line.
#pragma once

#include <string>
#include <vector>

#include "core/memory_files.h"
#include "core/run_log.h"

namespace lanvik {

struct LogCapture {
    explicit LogCapture(bool enabled = true) {
        if (!enabled) return;
        log.setLoggingEnabled();
        log.Open(files);
    }
    // The lines written after the opening separator, each without its CR LF (a line that holds a
    // CR LF itself stays one entry only when it was written as one; split on the line ends).
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        auto found = files.files.find("C:\\Users\\user\\Desktop\\LanvikLog.txt");
        if (found == files.files.end()) return lines;
        const std::string& text = found->second;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        if (!lines.empty()) lines.erase(lines.begin());  // the separator
        return lines;
    }
    // Everything written after the opening separator line, exactly.
    std::string Text() const {
        auto found = files.files.find("C:\\Users\\user\\Desktop\\LanvikLog.txt");
        if (found == files.files.end()) return std::string();
        std::size_t first = found->second.find("\r\n");
        return first == std::string::npos ? std::string() : found->second.substr(first + 2);
    }

    MemoryFiles files;
    LogService log;
};

}  // namespace lanvik
