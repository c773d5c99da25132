// Stand-in for the infrared link library IrLib.dll: its four functions, in front of a simulated
// infrared reader that the test scripts. Test support only, never shipped.
//
// IRLIB_SCRIPT names the script (a Windows path; none: every open succeeds, every read hears
// nothing). It is read at the first call, and again whenever IRLIB_SCRIPT names another file,
// and consumed across the calls of the process:
//   open <result> [delay_ms]   result of the next vbOpenIrCom (the last one given repeats;
//                              default 1), returned after the delay
//   answer <delay_ms> [text]   what the next vbReadIrCom hears: the text (everything after the
//                              blank that follows the delay, blanks included) is written into
//                              the caller's buffer after the delay; without text, nothing is
//                              heard and the buffer is left as it was (reads beyond the script
//                              hear nothing too)
// IRLIB_LOG names the log (default: IrLib.log beside this library): one line per call, fields
// separated by tabs, control characters written as \r, \n, \xNN:
//   <ms> vbOpenIrCom <port> <speed> <result>
//   <ms> WriteIrCom <text>
//   <ms> vbReadIrCom <buffer as received: "blank100" for 100 blanks then NUL> <text heard>
//   <ms> CloseIrCom
// where <ms> counts from the moment the library was loaded, followed by "/" and the CPU time the
// calling process has used so far, in ms (user and kernel). Like a real link, it cannot be
// opened twice: an open while open fails (0), and writes and reads on a closed link do nothing.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

struct Answer {
    DWORD delayMs = 0;
    bool heard = false;
    std::string text;
};

struct Reader {
    std::string script;                                 // the path it was read from
    std::vector<std::pair<std::int32_t, DWORD>> opens;  // result, delay
    std::size_t nextOpen = 0;
    std::deque<Answer> answers;
    bool open = false;
};

Reader g_reader;
LARGE_INTEGER g_start;
HMODULE g_module;

std::string Environment(const char* name) {
    char value[4096];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    if (length == 0 || length >= sizeof(value)) return {};
    return std::string(value, length);
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void Log(const std::string& fields) {
    std::string path = Environment("IRLIB_LOG");
    if (path.empty()) {
        char own[MAX_PATH];
        const DWORD length = GetModuleFileNameA(g_module, own, MAX_PATH);
        path.assign(own, length);
        path = path.substr(0, path.find_last_of('\\') + 1) + "IrLib.log";
    }
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const long long ms = (now.QuadPart - g_start.QuadPart) * 1000 / frequency.QuadPart;
    // Opened and closed per line, so that the log is complete whenever the process ends.
    FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) return;
    FILETIME created, ended, kernel, user;
    long long cpuMs = -1;
    if (GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) {
        auto value = [](const FILETIME& t) {
            return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        cpuMs = (value(kernel) + value(user)) / 10000;  // 100 ns units
    }
    std::fprintf(file, "%lld/%lld\t%s\n", ms, cpuMs, fields.c_str());
    std::fclose(file);
}

void LoadScript() {
    const std::string path = Environment("IRLIB_SCRIPT");
    if (path == g_reader.script) return;
    g_reader.script = path;
    g_reader.opens.clear();
    g_reader.nextOpen = 0;
    g_reader.answers.clear();
    if (path.empty()) return;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        Log("script\tmissing\t" + path);
        return;
    }
    char line[1024];
    while (std::fgets(line, sizeof line, file)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        if (text.rfind("open ", 0) == 0) {
            long result = 0;
            unsigned long delay = 0;
            std::sscanf(text.c_str() + 5, "%ld %lu", &result, &delay);
            g_reader.opens.emplace_back(static_cast<std::int32_t>(result), delay);
        } else if (text.rfind("answer ", 0) == 0) {
            Answer answer;
            const std::string rest = text.substr(7);
            const std::size_t blank = rest.find(' ');
            answer.delayMs = static_cast<DWORD>(std::strtoul(rest.c_str(), nullptr, 10));
            if (blank != std::string::npos) {
                answer.heard = true;
                answer.text = rest.substr(blank + 1);
            }
            g_reader.answers.push_back(answer);
        }
    }
    std::fclose(file);
}

std::string DescribeBuffer(const char* buffer) {
    const std::size_t length = std::strlen(buffer);
    if (length == 100 && std::string(buffer, length) == std::string(100, ' ')) return "blank100";
    std::string quoted(1, '"');
    quoted += Escaped(std::string(buffer, length));
    quoted += '"';
    return quoted;
}

}  // namespace

extern "C" {

std::int32_t WINAPI vbOpenIrCom(std::int32_t port, std::int32_t speed) {
    LoadScript();
    std::int32_t result = 1;
    DWORD delay = 0;
    if (!g_reader.opens.empty()) {
        const std::size_t index = g_reader.nextOpen < g_reader.opens.size()
                                      ? g_reader.nextOpen++
                                      : g_reader.opens.size() - 1;
        result = g_reader.opens[index].first;
        delay = g_reader.opens[index].second;
    }
    if (delay) Sleep(delay);
    if (g_reader.open) result = 0;
    if (result != 0) g_reader.open = true;
    Log("vbOpenIrCom\t" + std::to_string(port) + "\t" + std::to_string(speed) + "\t" +
        std::to_string(result));
    return result;
}

std::int32_t WINAPI WriteIrCom(const char* text) {
    LoadScript();
    Log(std::string("WriteIrCom\t") + (text ? Escaped(text) : "<null>") +
        (g_reader.open ? "" : "\tclosed"));
    return g_reader.open ? 1 : 0;
}

std::int32_t WINAPI vbReadIrCom(char* buffer) {
    LoadScript();
    const std::string received = buffer ? DescribeBuffer(buffer) : "<null>";
    Answer answer;
    if (g_reader.open && !g_reader.answers.empty()) {
        answer = g_reader.answers.front();
        g_reader.answers.pop_front();
    }
    if (answer.delayMs) Sleep(answer.delayMs);
    if (buffer && answer.heard) {
        // Written in place, at most 100 characters, without a NUL: the rest stays as it was.
        const std::size_t length = std::min<std::size_t>(answer.text.size(), 100);
        std::memcpy(buffer, answer.text.data(), length);
    }
    Log("vbReadIrCom\t" + received + "\t" + Escaped(answer.text) +
        (g_reader.open ? "" : "\tclosed"));
    return answer.heard ? 1 : 0;
}

std::int32_t WINAPI CloseIrCom() {
    LoadScript();
    Log(std::string("CloseIrCom") + (g_reader.open ? "" : "\tclosed"));
    g_reader.open = false;
    return 1;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        QueryPerformanceCounter(&g_start);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
