// The whole launcher platform in memory: registry, system, files (run log, snapshot file, repair
// program), scripted message boxes, processes and windows, a clock that only counts, the repair
// program's runner, type libraries and GUIDs. Helpers seed the registry and the files the way an
// Access installation leaves them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../log_capture.h"
#include "core/launch_sequence.h"
#include "core/launch_state.h"
#include "core/launch_worker.h"
#include "core/memory_processes.h"
#include "core/memory_program_runner.h"
#include "registry/memory_registry.h"
#include "registry/memory_system.h"
#include "registry/memory_type_library.h"

namespace lanvik {

class ScriptedDialogs : public Dialogs {
  public:
    int ShowMessage(const std::string& text, const std::string& title, unsigned style) override {
        shown.push_back({text, title, style});
        return answer;
    }
    struct Box {
        std::string text;
        std::string title;
        unsigned style;
    };
    std::vector<Box> shown;
    int answer = kAnswerNo;
};

inline constexpr const char* kAccessLibId = "{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}";
inline constexpr const char* kRepairPath =
    "C:\\Users\\user\\AppData\\Local\\Temp\\LanvikPermissions.exe";
inline constexpr const char* kSnapshotPath = "C:\\Users\\user\\AppData\\Local\\Temp\\~QDReg.dat";
inline constexpr const char* kRuntimeExe =
    "C:\\Program Files\\Microsoft Office\\OFFICE11\\MSACCESS.EXE";
inline constexpr const char* kRuntimeFolder = "C:\\PROGRAM FILES\\MICROSOFT OFFICE\\OFFICE11";
inline constexpr const char* kFull2003Folder = "C:\\Program Files\\Office 2003\\OFFICE11";
inline constexpr const char* kFull2003FolderUpper = "C:\\PROGRAM FILES\\OFFICE 2003\\OFFICE11";
inline constexpr const char* kFull2007Folder = "C:\\Program Files\\Office 2007\\Office12";
inline constexpr const char* kFull2007FolderUpper = "C:\\PROGRAM FILES\\OFFICE 2007\\OFFICE12";
inline constexpr std::uint32_t kAccessProcessId = 4242;

struct Machine {
    Machine() {
        resources.resources[{133, "BIN"}] = "MZ repair program";
        registry.PutString(RootKey::ClassesRoot, ".mdb", "", "Access.Application.11");
    }
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // Runs the worker as the frame does, with the real launch sequence.
    void Launch(const std::string& commandLine) {
        RunLaunchWorker(commandLine, capture.log, capture.files, dialogs,
                        [this](const LaunchOptions& options, const std::string&) {
                            RunLaunchSequence(platform, options);
                        });
    }
    std::vector<std::string> LogLines() const { return capture.Lines(); }

    // The Installer's record of the Access 2003 run-time (drive colon written as "?").
    void InstallRuntime(const std::string& exe = kRuntimeExe, bool fileExists = true) {
        std::string recorded = exe;
        if (recorded.size() > 1 && recorded[1] == ':') recorded[1] = '?';
        registry.PutString(RootKey::LocalMachine,
                           "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Components\\"
                           "8F287D2F41B64AF4F8AB65C5DD9B2B8A",
                           "9040C10900063D11C8EF10054038389C", recorded);
        if (fileExists) {
            system.AddFile(exe);
            AddAccessLibrary(exe.substr(0, exe.rfind('\\')));
        }
    }
    // A full installation: its automation server's open command, the program and its library.
    void InstallFull(int progIdNumber, const std::string& folder) {
        registry.PutString(
            RootKey::ClassesRoot,
            "Access.Application." + std::to_string(progIdNumber) + "\\shell\\open\\command", "",
            "\"" + folder + "\\MSACCESS.EXE\" /NOSTARTUP \"%1\"");
        system.AddFile(folder + "\\MSACCESS.EXE");
        AddAccessLibrary(folder);
    }
    void AddAccessLibrary(const std::string& folder) {
        typeLibraries.AddFile(folder + "\\MSACC.OLB",
                              {kAccessLibId, "9.0", "Microsoft Access 11.0 Object Library"});
    }
    std::string AccessLibPath() const { return Text(RootKey::ClassesRoot, kAccessLibKey()); }
    static std::string kAccessLibKey() {
        return std::string("TypeLib\\") + kAccessLibId + "\\9.0\\0\\win32";
    }

    // A value as text ("<none>" when missing; a number in decimal).
    std::string Text(RootKey root, const std::string& key, const std::string& name = "") const {
        auto value = registry.Get(root, key, name);
        if (!value) return "<none>";
        if (value->type == kRegDword && value->bytes.size() == 4) {
            std::uint32_t n = 0;
            for (int i = 3; i >= 0; --i) n = n * 256 + static_cast<unsigned char>(value->bytes[i]);
            return std::to_string(n);
        }
        std::string text = value->bytes;
        if (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }

    // Access's main window appears at once.
    void AccessShowsItsWindow(std::uint32_t processId = kAccessProcessId) {
        TopLevelWindow window;
        window.window = 0x1234;
        window.processId = processId;
        window.className = std::string("OMain");
        processes.windows.push_back(window);
    }

    // Opened by the worker on -LOGGING.
    LogCapture capture{false};
    MemoryRegistry registry;
    MemorySystem system;
    ScriptedDialogs dialogs;
    MemoryProcesses processes;
    FakeClock clock;
    MemoryProgramRunner programs{capture.files};
    MemoryModuleResources resources;
    MemoryTypeLibraries typeLibraries{registry};
    MemoryGuids guids;
    LaunchPlatform platform{registry, system,    capture.files, dialogs, processes,  clock,
                            programs, resources, typeLibraries, guids,   capture.log};
};

class LaunchFixture : public ::testing::Test, public Machine {};

}  // namespace lanvik
