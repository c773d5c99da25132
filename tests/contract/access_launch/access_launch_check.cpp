// The launcher's start and watch, with the real Win32 processes, windows and clock, against the
// Access stand-in (bin/testing/access_standin.exe, beside this program). Needs an X display under
// Wine. Each case bounds its stand-in: the stand-in ends by itself, and whatever is left is ended
// here.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "../../unit/log_capture.h"
#include "core/access_launch.h"
#include "core/win32_processes.h"
#include "registry/win32_system.h"

namespace lanvik {
namespace {

const OsVersionFlags kXp = FlagsOf(kWindowsXp);
const OsVersionFlags kVista = FlagsOf(kWindowsVista);
constexpr int kShowNormal = 1;

// The text of the command line handed over; blanks doubled and quotes, so that any rewriting
// shows.
const std::string kCommandLine =
    "\"C:\\My Data\\app.mdb\" /runtime  /wrkgrp \"C:\\My Data\\system.mdw\" /cmd \"a  b\"";

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.rfind('\\'));
}

std::string ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Counts the polls and keeps their real sleeps.
class CountingClock : public Clock {
  public:
    void Sleep(std::uint32_t milliseconds) override {
        ++sleeps;
        real_.Sleep(milliseconds);
    }
    int sleeps = 0;

  private:
    Win32Clock real_;
};

class AccessLaunchCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        standin_ = OwnFolder() + "\\access_standin.exe";
        ASSERT_TRUE(Exists(standin_)) << standin_;
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        work_ = std::string(temp) + "LanvikLaunchCheck";
        CreateDirectoryA(work_.c_str(), nullptr);
        record_ = work_ + "\\record.txt";
        ready_ = work_ + "\\ready.txt";
        DeleteFileA(record_.c_str());
        DeleteFileA(ready_.c_str());
        for (const char* name : {"LANVIK_ACCESS_MODE", "LANVIK_ACCESS_CLASS",
                                 "LANVIK_ACCESS_DELAY_MS", "LANVIK_ACCESS_LIFETIME_MS"})
            SetEnvironmentVariableA(name, nullptr);
        SetEnvironmentVariableA("LANVIK_ACCESS_RECORD", record_.c_str());
        SetEnvironmentVariableA("LANVIK_ACCESS_READY", ready_.c_str());
        SetEnvironmentVariableA("LANVIK_ACCESS_LIFETIME_MS", "2000");
    }
    void TearDown() override {
        // The stand-in ends by itself; one that did not is ended here so that none outlives the
        // test.
        for (std::uint32_t id : started_) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (process == nullptr) continue;
            if (WaitForSingleObject(process, 10000) == WAIT_TIMEOUT) {
                TerminateProcess(process, 1);
                ADD_FAILURE() << "stand-in " << id << " did not end by itself";
            }
            CloseHandle(process);
        }
    }
    void Mode(const char* mode) { SetEnvironmentVariableA("LANVIK_ACCESS_MODE", mode); }
    void Set(const char* name, const char* value) { SetEnvironmentVariableA(name, value); }

    AccessWatch Watch(const OsVersionFlags& flags, const std::string& program,
                      const std::string& commandLine) {
        auto begin = std::chrono::steady_clock::now();
        AccessWatch watch = StartAndWatchAccess(processes_, clock_, capture_.log, kShowNormal,
                                                flags, program, commandLine, 1);
        seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (watch.processId != 0) started_.push_back(watch.processId);
        return watch;
    }
    // The recorded command line and program path, once the stand-in has written them.
    std::vector<std::string> Record() {
        for (int i = 0; i < 100 && !Exists(record_); ++i) Sleep(100);
        std::string text = ReadWholeFile(record_);
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }
    bool WaitForReady() {
        for (int i = 0; i < 100; ++i) {
            if (Exists(ready_)) return true;
            Sleep(100);
        }
        return false;
    }

    std::string standin_, work_, record_, ready_;
    Win32Processes processes_;
    CountingClock clock_;
    LogCapture capture_;
    std::vector<std::uint32_t> started_;
    double seconds_ = 0;
};

TEST_F(AccessLaunchCheck, CreateProcessGivesTheQuotedPathOneSpaceAndTheCommandLine) {
    AccessWatch watch = Watch(kXp, standin_, kCommandLine);
    EXPECT_TRUE(watch.found);
    ASSERT_NE(0u, watch.processId);
    std::vector<std::string> record = Record();
    ASSERT_EQ(2u, record.size());
    EXPECT_EQ("\"" + standin_ + "\" " + kCommandLine, record[0]);
    EXPECT_EQ(capture_.Text(),
              "Launching Access: " + standin_ + "\r\n\twith cmdline: " + kCommandLine +
                  "\r\nAccess launched with ProcessID: " + std::to_string(watch.processId) +
                  "\r\nFound main Access window - shutting down\r\n");
}

TEST_F(AccessLaunchCheck, TheShellGetsThePathAndTheCommandLineApart) {
    AccessWatch watch = Watch(kVista, standin_, kCommandLine);
    EXPECT_TRUE(watch.found);
    ASSERT_NE(0u, watch.processId);
    std::vector<std::string> record = Record();
    ASSERT_EQ(2u, record.size());
    // The shell builds the started program's command line from the two fields.
    EXPECT_EQ("\"" + standin_ + "\" " + kCommandLine, record[0]);
    EXPECT_EQ("Found main Access window - shutting down", capture_.Lines().back());
}

TEST_F(AccessLaunchCheck, AnEmptyCommandLineLeavesTheTrailingSpace) {
    AccessWatch watch = Watch(kXp, standin_, "");
    EXPECT_TRUE(watch.found);
    std::vector<std::string> record = Record();
    ASSERT_EQ(2u, record.size());
    EXPECT_EQ("\"" + standin_ + "\" ", record[0]);
}

TEST_F(AccessLaunchCheck, AWindowShownLateIsFoundAtALaterPoll) {
    Mode("late");
    Set("LANVIK_ACCESS_DELAY_MS", "2500");
    AccessWatch watch = Watch(kXp, standin_, kCommandLine);
    EXPECT_TRUE(watch.found);
    EXPECT_GE(clock_.sleeps, 2);
    EXPECT_LE(clock_.sleeps, 6);
}

TEST_F(AccessLaunchCheck, TheClassIsComparedWithoutRegardToCase) {
    Set("LANVIK_ACCESS_CLASS", "omain");
    AccessWatch watch = Watch(kXp, standin_, kCommandLine);
    EXPECT_TRUE(watch.found);
}

TEST_F(AccessLaunchCheck, AccessEndingEarlyEndsTheWatchAtTheNextPoll) {
    Mode("exit");
    Set("LANVIK_ACCESS_DELAY_MS", "1500");
    AccessWatch watch = Watch(kVista, standin_, kCommandLine);
    EXPECT_FALSE(watch.found);
    EXPECT_GE(clock_.sleeps, 1);
    EXPECT_LE(clock_.sleeps, 4);
    EXPECT_LT(seconds_, 10.0);
    EXPECT_EQ("Timed Out - main Access window not found!", capture_.Lines().back());
}

TEST_F(AccessLaunchCheck, ChildAndOwnedOMainWindowsAreNotTaken) {
    for (const char* mode : {"child", "owned"}) {
        SCOPED_TRACE(mode);
        DeleteFileA(ready_.c_str());
        Mode(mode);
        Set("LANVIK_ACCESS_LIFETIME_MS", "3000");
        std::unique_ptr<ProcessHandle> handle;
        std::uint32_t id = LaunchAccess(processes_, kShowNormal, kXp, standin_.c_str(), "", handle);
        ASSERT_NE(0u, id);
        started_.push_back(id);
        ASSERT_TRUE(WaitForReady());
        EXPECT_FALSE(FindMainAccessWindow(processes_, id).has_value());
        // The stand-in's windows are there: its frame is a top-level window of the process.
        // An owned pop-up is a top-level window with an owner; a child is no top-level window.
        bool frameSeen = false;
        int ownedSeen = 0;
        processes_.EnumerateTopLevelWindows([&](const TopLevelWindow& window) {
            if (window.processId != id) return true;
            if (window.className == "LanvikStandinFrame") frameSeen = true;
            if (window.className == "OMain" && window.hasParent) ++ownedSeen;
            return true;
        });
        EXPECT_TRUE(frameSeen);
        EXPECT_EQ(std::string(mode) == "owned" ? 1 : 0, ownedSeen);
        EXPECT_EQ(WaitResult::Ended, handle->Wait(10000));
    }
}

TEST_F(AccessLaunchCheck, NoWindowFromAnotherProcessIsTaken) {
    // A stand-in with its window up, and a second one without: the second is not found.
    std::unique_ptr<ProcessHandle> first;
    std::uint32_t withWindow =
        LaunchAccess(processes_, kShowNormal, kXp, standin_.c_str(), "", first);
    ASSERT_NE(0u, withWindow);
    started_.push_back(withWindow);
    ASSERT_TRUE(WaitForReady());
    DeleteFileA(ready_.c_str());
    Mode("nowindow");
    Set("LANVIK_ACCESS_LIFETIME_MS", "2000");
    std::unique_ptr<ProcessHandle> second;
    std::uint32_t without =
        LaunchAccess(processes_, kShowNormal, kXp, standin_.c_str(), "", second);
    ASSERT_NE(0u, without);
    started_.push_back(without);
    ASSERT_TRUE(WaitForReady());
    EXPECT_TRUE(FindMainAccessWindow(processes_, withWindow).has_value());
    EXPECT_FALSE(FindMainAccessWindow(processes_, without).has_value());
}

TEST_F(AccessLaunchCheck, ADotSecCommandLineStartsLaunch32FromItsFolder) {
    const std::string launcher = work_ + "\\launch32.exe";
    ASSERT_TRUE(CopyFileA(standin_.c_str(), launcher.c_str(), FALSE));
    Win32System system;
    const std::string commandLine = work_ + "\\app.sec";
    EXPECT_EQ(standin_, SecurityLauncherProgram(system, standin_, work_ + "\\app.SEC"));
    EXPECT_EQ(standin_, SecurityLauncherProgram(system, standin_, OwnFolder() + "\\app.sec"));
    const std::string program = SecurityLauncherProgram(system, standin_, commandLine);
    EXPECT_EQ(launcher, program);

    AccessWatch watch = Watch(kXp, program, commandLine);
    EXPECT_TRUE(watch.found);
    std::vector<std::string> record = Record();
    ASSERT_EQ(2u, record.size());
    EXPECT_EQ("\"" + launcher + "\" " + commandLine, record[0]);
    EXPECT_EQ(launcher, record[1]);
    if (watch.process) watch.process->Wait(10000);
    DeleteFileA(launcher.c_str());
}

TEST_F(AccessLaunchCheck, AProgramThatCannotStartIsLoggedAsTimedOut) {
    for (OsVersionFlags flags : {kXp, kVista}) {
        SCOPED_TRACE(flags.majorAtLeast6 ? "shell" : "CreateProcess");
        LogCapture capture;
        AccessWatch watch = StartAndWatchAccess(processes_, clock_, capture.log, kShowNormal, flags,
                                                work_ + "\\missing.exe", kCommandLine, 1);
        EXPECT_FALSE(watch.found);
        EXPECT_EQ(0u, watch.processId);
        EXPECT_EQ("Launching Access: " + work_ + "\\missing.exe\r\n\twith cmdline: " +
                      kCommandLine + "\r\nTimed Out - main Access window not found!\r\n",
                  capture.Text());
    }
    EXPECT_EQ(0, clock_.sleeps);
}

TEST(Win32SystemCheck, AnswersLikeTheMemorySystem) {
    Win32System system;
    const std::string temp = GetTempFolder(system);
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ('\\', temp.back());
    const std::string folder = temp + "LanvikSystemCheck";
    const std::string file = folder + "\\present.txt";
    CreateDirectoryA(folder.c_str(), nullptr);
    HANDLE created = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, created);
    CloseHandle(created);

    EXPECT_TRUE(FileExists(system, file));
    EXPECT_TRUE(FileExists(system, folder + "\\PRESENT.TXT"));
    EXPECT_FALSE(FileExists(system, folder));
    EXPECT_FALSE(FileExists(system, folder + "\\absent.txt"));
    EXPECT_TRUE(FolderExists(system, folder));
    EXPECT_TRUE(FolderExists(system, file));
    EXPECT_FALSE(FolderExists(system, folder + "\\absent"));

    OsVersion version;
    EXPECT_TRUE(system.QueryOsVersion(version));
    EXPECT_EQ(kPlatformNt, version.platformId);
    std::string common;
    EXPECT_TRUE(system.ShellFolderPath(kCommonProgramFilesFolder, common));
    EXPECT_EQ("C:\\Program Files\\Common Files", common);

    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace lanvik
