// harness_probe: a small program for the harness's own tests.
//
// It first prints "CMDLINE=<hex>" (its exact command line) and "CWD=<hex>" on stdout, then acts
// on each blank-separated word of its command line that it knows, in order; other words are
// ignored, so that tests can add quotes, tabs and spaces of their own:
//   /box=HEXTITLE,HEXTEXT,TYPE  shows MessageBoxA(TYPE, decimal or 0x..) and prints "BOX=<result>"
//   /out=HEX  /err=HEX          writes the bytes to stdout / stderr
//   /hang                       never returns
//   /hold-desktop               opens the desktop and never returns: the environment keeps one
//                               running so that Wine's desktop process stays up between tests
//   /exit=N                     exit code at the end (default 0)
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Unhex(const std::string& hex) {
    auto nibble = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return 0;
    };
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
    return out;
}

void Write(DWORD which, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string current;
    for (char c : line) {
        if (c == ' ' || c == '\t') {
            if (!current.empty()) words.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) words.push_back(current);
    return words;
}

bool StartsWith(const std::string& s, const char* prefix, std::string* rest) {
    std::string p = prefix;
    if (s.compare(0, p.size(), p) != 0) return false;
    *rest = s.substr(p.size());
    return true;
}

}  // namespace

int main() {
    std::string line = GetCommandLineA();
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    Write(STD_OUTPUT_HANDLE, "CMDLINE=" + Hex(line) + "\nCWD=" + Hex(cwd) + "\n");
    int exit_code = 0;
    std::string value;
    for (const std::string& word : Words(line)) {
        if (StartsWith(word, "/box=", &value)) {
            size_t first = value.find(','), second = value.find(',', first + 1);
            if (first == std::string::npos || second == std::string::npos) continue;
            std::string title = Unhex(value.substr(0, first));
            std::string text = Unhex(value.substr(first + 1, second - first - 1));
            UINT type = static_cast<UINT>(std::strtoul(value.c_str() + second + 1, nullptr, 0));
            int result = MessageBoxA(nullptr, text.c_str(), title.c_str(), type);
            Write(STD_OUTPUT_HANDLE, "BOX=" + std::to_string(result) + "\n");
        } else if (StartsWith(word, "/out=", &value)) {
            Write(STD_OUTPUT_HANDLE, Unhex(value));
        } else if (StartsWith(word, "/err=", &value)) {
            Write(STD_ERROR_HANDLE, Unhex(value));
        } else if (word == "/hold-desktop") {
            GetDesktopWindow();
            for (;;) Sleep(1000);
        } else if (word == "/hang") {
            for (;;) Sleep(1000);
        } else if (StartsWith(word, "/exit=", &value)) {
            exit_code = std::atoi(value.c_str());
        }
    }
    return exit_code;
}
