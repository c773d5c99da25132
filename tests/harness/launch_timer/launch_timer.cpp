// launch_timer.exe CMD_FILE TIMES_FILE: starts the command line held in CMD_FILE (exactly, as
// CreateProcessA gets it), waits for the program to end, and writes into TIMES_FILE
//   created=<time> exited=<time> code=<exit code>
// with the process's own creation and exit times in 100 ns units (FILETIME), so that a caller
// can compare them with the times another program records.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string ReadWholeFile(const char* path) {
    std::string bytes;
    if (FILE* file = std::fopen(path, "rb")) {
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

unsigned long long Ticks(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: launch_timer CMD_FILE TIMES_FILE\n");
        return 2;
    }
    std::string commandLine = ReadWholeFile(argv[1]);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "CreateProcessA failed: %lu\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, 120000);
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) return 1;
    std::fprintf(out, "created=%llu exited=%llu code=%lu\n", Ticks(created), Ticks(exited), code);
    std::fclose(out);
    return 0;
}
