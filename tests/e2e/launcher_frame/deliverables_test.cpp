// The Windows deliverables are linked statically: they import system DLLs only, so that they
// run on a bare Windows with nothing installed beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "e2e/harness.h"

namespace {

namespace fs = std::filesystem;

const std::set<std::string> kSystemDlls = {
    "kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll", "shell32.dll",  "ole32.dll",
    "oleaut32.dll", "msvcrt.dll",  "shlwapi.dll", "comctl32.dll", "comdlg32.dll", "version.dll",
    "ws2_32.dll",   "rpcrt4.dll",  "winmm.dll",   "setupapi.dll", "userenv.dll",  "ntdll.dll",
    "psapi.dll",    "crypt32.dll", "bcrypt.dll",  "secur32.dll",  "uxtheme.dll",  "imm32.dll",
    "winspool.drv", "odbc32.dll",  "msi.dll",     "wtsapi32.dll", "netapi32.dll", "mpr.dll"};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::vector<fs::path> Deliverables(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string ext = Lower(entry.path().extension().string());
        if (entry.is_regular_file() && (ext == ".exe" || ext == ".dll"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Checks every deliverable of the folder with objdump -p: its format and its imports.
void CheckFolder(const fs::path& folder, const std::string& objdump, const std::string& format) {
    std::vector<fs::path> files = Deliverables(folder);
    ASSERT_FALSE(files.empty()) << "no .exe or .dll in " << folder;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        e2e::ProcessResult dump = e2e::RunProcess({objdump, "-p", file.string()});
        ASSERT_EQ(dump.exit_code, 0) << dump.err;
        EXPECT_NE(dump.out.find("file format " + format), std::string::npos);
        std::istringstream lines(dump.out);
        std::string line;
        int imports = 0;
        while (std::getline(lines, line)) {
            size_t at = line.find("DLL Name: ");
            if (at == std::string::npos) continue;
            std::string dll = Lower(line.substr(at + 10));
            while (!dll.empty() && (dll.back() == '\r' || dll.back() == ' ')) dll.pop_back();
            ++imports;
            EXPECT_TRUE(kSystemDlls.count(dll)) << "imports " << dll;
        }
        EXPECT_GT(imports, 0) << "no import table found";
    }
}

TEST(Deliverables, Win64ImportOnlySystemDlls) {
    ASSERT_TRUE(fs::is_regular_file(e2e::Win64Binary("Lanvik_2003.exe")));
    CheckFolder(e2e::Win64BinDir(), "x86_64-w64-mingw32-objdump", "pei-x86-64");
}

TEST(Deliverables, Win32ImportOnlySystemDlls) {
    if (!fs::is_directory(e2e::Win32BinDir()))
        GTEST_SKIP() << e2e::Win32BinDir() << " is absent: build the win32 preset to check it";
    CheckFolder(e2e::Win32BinDir(), "i686-w64-mingw32-objdump", "pei-i386");
}

}  // namespace
