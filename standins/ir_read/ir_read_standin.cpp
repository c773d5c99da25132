// Stand-in for the outside reader program IR_Read.exe, which the reader component starts from its
// own folder as "IR_Read.exe <result path>,<port>,<speed>,<file mode>,<CR>,<LF>,<three display
// flags>,0,<time-out>" and waits for. It does what the component relies on and nothing more: it
// ends by itself and leaves the readings at the result path. A test places it (as IR_Read.exe)
// beside the component and scripts it with files beside itself:
//   IR_Read.result   the bytes to leave at the result path; without it no file is written
//   IR_Read.delay    milliseconds to take before writing and ending (default 0)
// and reads what it saw from IR_Read.calls, which gets, per run, the lines
//   cmdline=<the exact command line>
//   startup flags=<STARTUPINFO dwFlags> show=<wShowWindow> cmdshow=<WinMain's nCmdShow>
//   priority=<priority class, hexadecimal>
//   result=<result path, unquoted> mode=<field 4>
// Field 4 decides what happens to a file already there: "2" (Accoda) appends, any other mode
// replaces it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return true;
}

void WriteToFile(const std::string& path, const std::string& bytes, bool append) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    if (append) SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// The fields after the program's path: the first one may be quoted, the rest are split at ",".
std::vector<std::string> Fields(const std::string& commandLine) {
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        at = commandLine.find('"', 1);
        at = at == std::string::npos ? commandLine.size() : at + 1;
    } else {
        at = commandLine.find(' ');
        if (at == std::string::npos) at = commandLine.size();
    }
    if (at < commandLine.size()) ++at;  // the one blank
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (; at < commandLine.size(); ++at) {
        const char c = commandLine[at];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int cmdShow) {
    const std::string folder = OwnFolder();
    const std::string commandLine = GetCommandLineA();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const std::vector<std::string> fields = Fields(commandLine);
    const std::string resultPath = fields[0];
    const std::string mode = fields.size() > 3 ? fields[3] : "";

    char record[512];
    std::snprintf(record, sizeof record, "startup flags=%lu show=%u cmdshow=%d\r\npriority=%lx\r\n",
                  static_cast<unsigned long>(startup.dwFlags), startup.wShowWindow, cmdShow,
                  static_cast<unsigned long>(GetPriorityClass(GetCurrentProcess())));
    WriteToFile(folder + "IR_Read.calls",
                "cmdline=" + commandLine + "\r\n" + record + "result=" + resultPath +
                    " mode=" + mode + "\r\n",
                true);

    std::string delay;
    if (ReadWholeFile(folder + "IR_Read.delay", delay))
        Sleep(std::strtoul(delay.c_str(), nullptr, 10));
    std::string result;
    if (ReadWholeFile(folder + "IR_Read.result", result))
        WriteToFile(resultPath, result, mode == "2");
    return 0;
}
