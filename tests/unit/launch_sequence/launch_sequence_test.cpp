// The whole launch, from the command line to the restored registry, against the in-memory
// platform. Each run's log is compared line by line; a log line that holds a CR LF itself shows
// here as two entries.
#include "core/launch_sequence.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/launch_worker.h"
#include "launch_fixture.h"
#include "registry/registry_access.h"
#include "registry/version_preparation.h"

namespace lanvik {
namespace {

using Lines = std::vector<std::string>;

const std::string kHeader = "Lanvik_2003 version: 2.1.0.41";
const std::string kDatabase = "\"C:\\Data\\Stock.mdb\"";
const std::string kRuntimeLib = std::string(kRuntimeFolder) + "\\MSACC.OLB";

Lines Join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Lines Discovery(const Lines& fullFound, const std::string& runtime) {
    return Join({{".mdb default: Access.Application.11", "Start of GetFullAccessLocations"},
                 fullFound,
                 {"Beginning of GetAccessRuntimeLocation for Access 2003",
                  "End of GetAccessRuntimeLocation for Access 2003",
                  runtime.empty() ? "\t\tRuntime location not found!"
                                  : "\t\tRuntime location: " + runtime}});
}

Lines Launched(const std::string& program, const std::string& commandLine, const char* result) {
    return {"Launching Access: " + program, "\twith cmdline: " + commandLine,
            "Access launched with ProcessID: 4242", result};
}

const char* kFound = "Found main Access window - shutting down";
const char* kTimedOut = "Timed Out - main Access window not found!";
const Lines kEnd = {"Restoring registry keys", "Exiting application"};

using LaunchSequenceTest = LaunchFixture;

// ---------------------------------------------------------------------------------------------
// Maintenance modes

TEST_F(LaunchSequenceTest, MaintenanceModesRunAloneAndNeverStartAccess) {
    struct Case {
        const char* name;
        const char* commandLine;
        OsVersion os;
        Lines log;
        bool fileAfter;                             // the snapshot file exists afterwards
        std::vector<std::string> repairParameters;  // one per run of the repair program
    };
    const Case cases[] = {
        {"capture", "-LOGGING -CAPTURE", kWindowsXp, {"-capture", "Exiting Lanvik"}, true, {}},
        {"restore without a file",
         "-LOGGING -RESTORE",
         kWindowsXp,
         {"-restore", "Exiting Lanvik"},
         false,
         {}},
        {"capture wins over restore",
         "-LOGGING -RESTORE -CAPTURE",
         kWindowsXp,
         {"-capture", "Exiting Lanvik"},
         true,
         {}},
        {"openkeys",
         "-LOGGING -OPENKEYS",
         kWindowsXp,
         {"-openkeys", "Exiting Lanvik"},
         false,
         {""}},
        {"openkeys without progress",
         "-LOGGING -OPENKEYS -NOPROGRESS",
         kWindows7,
         {"-openkeys", "Exiting Lanvik"},
         false,
         {"noprogress"}},
        {"openkeys on NT 4", "-LOGGING -OPENKEYS", kWindowsNt4, {"Exiting Lanvik"}, false, {}},
        {"openkeys on Windows 98", "-LOGGING -OPENKEYS", kWindows98, {"Exiting Lanvik"}, false, {}},
        {"capture then openkeys",
         "-LOGGING -CAPTURE -OPENKEYS \"C:\\x.mdb\"",
         kWindows2000,
         {"-capture", "-openkeys", "Exiting Lanvik"},
         true,
         {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        m.system.version = c.os;
        m.InstallRuntime();
        m.registry.PutString(RootKey::ClassesRoot, kAccessLibKey(), "", "C:\\Old\\MSACC.OLB");

        m.Launch(c.commandLine);
        m.capture.log.Close();

        EXPECT_EQ(m.LogLines(), Join({{kHeader},
                                      c.log,
                                      {"=================================================="
                                       "=",
                                       "", ""}}));
        EXPECT_EQ(m.capture.files.files.count(kSnapshotPath), c.fileAfter ? 1u : 0u);
        if (c.fileAfter) {
            EXPECT_EQ(m.capture.files.hidden.count(kSnapshotPath), 1u);
        }
        ASSERT_EQ(m.programs.starts.size(), c.repairParameters.size());
        for (std::size_t i = 0; i < c.repairParameters.size(); ++i)
            EXPECT_EQ(m.programs.starts[i].parameters, c.repairParameters[i]);
        EXPECT_EQ(m.capture.files.files.count(kRepairPath), 0u);
        EXPECT_TRUE(m.processes.starts.empty());
        EXPECT_TRUE(m.dialogs.shown.empty());
        // Nothing was prepared.
        EXPECT_EQ(m.AccessLibPath(), "C:\\Old\\MSACC.OLB");
        EXPECT_EQ(
            m.Text(RootKey::CurrentUser, "Software\\Microsoft\\Office\\9.0\\Access", "UserData"),
            "<none>");
        EXPECT_EQ(m.registry.openKeyCount(), 0);
    }
}

TEST_F(LaunchSequenceTest, CaptureThenRestoreBringsTheValuesBackAndDeletesTheFile) {
    registry.PutString(RootKey::ClassesRoot, kCurVerKey, "", "Access.Application.12");
    registry.PutString(RootKey::ClassesRoot, kAccessLibKey(), "", "C:\\Office12\\MSACC.OLB");
    Launch("-CAPTURE");
    ASSERT_EQ(capture.files.files.count(kSnapshotPath), 1u);
    const std::string sealed = capture.files.files[kSnapshotPath];
    EXPECT_EQ(sealed.find("Access.Application"), std::string::npos) << "ciphertext only";

    registry.PutString(RootKey::ClassesRoot, kCurVerKey, "", "Access.Application.11");
    registry.PutString(RootKey::ClassesRoot, kAccessLibKey(), "", "C:\\Office11\\MSACC.OLB");
    Launch("-RESTORE");
    EXPECT_EQ(Text(RootKey::ClassesRoot, kCurVerKey), "Access.Application.12");
    EXPECT_EQ(AccessLibPath(), "C:\\Office12\\MSACC.OLB");
    EXPECT_EQ(capture.files.files.count(kSnapshotPath), 0u);
    EXPECT_TRUE(processes.starts.empty());
}

// ---------------------------------------------------------------------------------------------
// Installations found and the program chosen

TEST_F(LaunchSequenceTest, ChoosesTheRuntimeFirstThenFull2003ThenFull2007) {
    const std::string full2003 = std::string(kFull2003FolderUpper) + "\\msaccess.exe";
    const std::string full2007 = std::string(kFull2007FolderUpper) + "\\msaccess.exe";
    const std::string lib2003 = std::string(kFull2003FolderUpper) + "\\MSACC.OLB";
    const std::string lib2007 = std::string(kFull2007FolderUpper) + "\\MSACC.OLB";
    const std::string found2003 = std::string("Access 2003 Full found: ") + kFull2003FolderUpper;
    const std::string found2007 = std::string("Access 2007 Full found: ") + kFull2007FolderUpper;
    const std::string missing =
        std::string(kRuntimeExe) + " does not exist.  Will try full version instead!";
    struct Case {
        const char* name;
        std::function<void(Machine&)> install;
        Lines log;
        std::string started;  // CreateProcess command text, empty when nothing starts
        bool warning;
    };
    const Case cases[] = {
        {"run-time only", [](Machine& t) { t.InstallRuntime(); },
         Join({Discovery({}, kRuntimeExe),
               {"The Access 2003 runtime was found!",
                std::string("Setting strAccess2003Path to runtime path: ") + kRuntimeFolder,
                "Saving default registry settings",
                "Access.Application\\CurVer = ", "2003 - current MSACCOLB Path is: ",
                "2003 - need to set MSACCOLB Path to: " + kRuntimeLib},
               Launched(kRuntimeExe, kDatabase, kFound),
               kEnd}),
         "\"" + std::string(kRuntimeExe) + "\" " + kDatabase, false},
        {"run-time and full 2003",
         [](Machine& t) {
             t.InstallFull(11, kFull2003Folder);
             t.InstallRuntime();
         },
         Join({Discovery({found2003}, kRuntimeExe),
               {"The Access 2003 runtime was found!",
                std::string("Setting strAccess2003Path to runtime path: ") + kRuntimeFolder,
                "Saving default registry settings",
                "Access.Application\\CurVer = ", "2003 - current MSACCOLB Path is: ",
                "2003 - need to set MSACCOLB Path to: " + kRuntimeLib},
               Launched(kRuntimeExe, kDatabase, kFound),
               kEnd}),
         "\"" + std::string(kRuntimeExe) + "\" " + kDatabase, false},
        {"run-time path missing and full 2003",
         [](Machine& t) {
             t.InstallFull(11, kFull2003Folder);
             t.InstallRuntime(kRuntimeExe, false);
         },
         Join({Discovery({found2003}, kRuntimeExe),
               {missing, "Don't have runtime, so trying full version",
                "Will use full version of 2003: " + full2003, "Saving default registry settings",
                "Access.Application\\CurVer = ", "2003 - current MSACCOLB Path is: ",
                "2003 - need to set MSACCOLB Path to: " + lib2003},
               Launched(full2003, kDatabase, kFound),
               kEnd}),
         "\"" + full2003 + "\" " + kDatabase, false},
        {"full 2003 only", [](Machine& t) { t.InstallFull(11, kFull2003Folder); },
         Join({Discovery({found2003}, ""),
               {"Don't have runtime, so trying full version",
                "Will use full version of 2003: " + full2003, "Saving default registry settings",
                "Access.Application\\CurVer = ", "2003 - current MSACCOLB Path is: ",
                "2003 - need to set MSACCOLB Path to: " + lib2003},
               Launched(full2003, kDatabase, kFound),
               kEnd}),
         "\"" + full2003 + "\" " + kDatabase, false},
        {"full 2007 only", [](Machine& t) { t.InstallFull(12, kFull2007Folder); },
         Join({Discovery({found2007}, ""),
               {"Don't have runtime, so trying full version",
                "Will use full version of 2007: " + full2007, "Saving default registry settings",
                "Access.Application\\CurVer = ", "2007 - current MSACCOLB Path is: ",
                "2007 - need to set MSACCOLB Path to: " + lib2007},
               Launched(full2007, kDatabase, kFound),
               kEnd}),
         "\"" + full2007 + "\" " + kDatabase, false},
        {"full 2003 and 2007: 2003 wins",
         [](Machine& t) {
             t.InstallFull(11, kFull2003Folder);
             t.InstallFull(12, kFull2007Folder);
         },
         Join({Discovery({found2003, found2007}, ""),
               {"Don't have runtime, so trying full version",
                "Will use full version of 2003: " + full2003, "Saving default registry settings",
                "Access.Application\\CurVer = ", "2003 - current MSACCOLB Path is: ",
                "2003 - need to set MSACCOLB Path to: " + lib2003},
               Launched(full2003, kDatabase, kFound),
               kEnd}),
         "\"" + full2003 + "\" " + kDatabase, false},
        {"full 2003 registered but its program missing, 2000 present",
         [](Machine& t) {
             t.InstallFull(9, "C:\\Office 2000");
             t.registry.PutString(RootKey::ClassesRoot,
                                  "Access.Application.11\\shell\\open\\command", "",
                                  "C:\\Gone\\MSACCESS.EXE");
         },
         Join({Discovery(
                   {"Access 2000 Full found: C:\\OFFICE 2000", "Access 2003 Full found: C:\\GONE"},
                   ""),
               {"Don't have runtime, so trying full version"}}),
         "", true},
        {"none", [](Machine&) {},
         Join({Discovery({}, ""), {"Don't have runtime, so trying full version"}}), "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;  // each case on a machine of its own
        c.install(m);
        m.AccessShowsItsWindow();

        m.Launch("-LOGGING " + kDatabase);

        EXPECT_EQ(m.LogLines(), Join({{kHeader}, c.log}));
        if (c.started.empty()) {
            EXPECT_TRUE(m.processes.starts.empty());
        } else {
            ASSERT_EQ(m.processes.starts.size(), 1u);
            EXPECT_EQ(m.processes.starts[0].method, MemoryProcesses::Method::CreateProcess);
            EXPECT_EQ(m.processes.starts[0].commandText, c.started);
            EXPECT_EQ(m.processes.starts[0].showCommand, 3);
        }
        if (c.warning) {
            ASSERT_EQ(m.dialogs.shown.size(), 1u);
            EXPECT_EQ(m.dialogs.shown[0].title, "Lanvik Warning");
            EXPECT_EQ(m.dialogs.shown[0].text,
                      "Unable to find the Access 2003 runtime.\nThe most likely cause is that the "
                      "2003 Runtime installer failed to install properly.");
            EXPECT_EQ(m.dialogs.shown[0].style, 0x30u);
            // Nothing was changed before the warning.
            EXPECT_EQ(m.Text(RootKey::CurrentUser, "Software\\Microsoft\\Office\\9.0\\Access",
                             "UserData"),
                      "<none>");
            EXPECT_FALSE(
                m.registry.HasKey(RootKey::CurrentUser, "Software\\Microsoft\\Shared Tools"));
            EXPECT_FALSE(m.registry.HasKey(RootKey::ClassesRoot, "Access.Application"));
        } else {
            EXPECT_TRUE(m.dialogs.shown.empty());
        }
        EXPECT_EQ(m.registry.openKeyCount(), 0);
    }
}

// The recorded run-time is gone and nothing else is installed: the launch goes on with the
// missing path, the object library cannot be registered from an empty folder, the start fails
// and the registry is restored all the same.
TEST_F(LaunchSequenceTest, AMissingRuntimeWithNothingElseFailsToStartAndRestores) {
    InstallRuntime(kRuntimeExe, false);
    registry.PutString(RootKey::ClassesRoot, kAccessLibKey(), "", "C:\\Old\\MSACC.OLB");
    registry.PutString(RootKey::ClassesRoot, kCurVerKey, "", "Access.Application.12");
    processes.failStart = true;
    Launch("-LOGGING " + kDatabase);

    EXPECT_EQ(
        LogLines(),
        Join({{kHeader},
              Discovery({}, kRuntimeExe),
              {std::string(kRuntimeExe) + " does not exist.  Will try full version instead!",
               "Don't have runtime, so trying full version", "Saving default registry settings",
               "Access.Application\\CurVer = Access.Application.12",
               "2003 - current MSACCOLB Path is: C:\\Old\\MSACC.OLB",
               "2003 - need to set MSACCOLB Path to: \\MSACC.OLB",
               "2003 - error setting MSACCOLB Path to: \\MSACC.OLB",
               "MSACCOLB Path still set to: C:\\Old\\MSACC.OLB",
               std::string("Launching Access: ") + kRuntimeExe, "\twith cmdline: " + kDatabase,
               kTimedOut},
              kEnd}));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Registry Error");
    EXPECT_EQ(Text(RootKey::ClassesRoot, kCurVerKey), "Access.Application.12");
    EXPECT_EQ(Text(RootKey::CurrentUser, kMacroSecurityKey, "Level"), "2");
}

// ---------------------------------------------------------------------------------------------
// The "Registry Error" question

TEST_F(LaunchSequenceTest, RegistryErrorQuestionAnswers) {
    struct Case {
        const char* name;
        OsVersion os;
        int answer;
        bool asked;
        bool repaired;
    };
    const Case cases[] = {
        {"Yes", kWindowsXp, kAnswerYes, true, true},
        {"No", kWindows7, kAnswerNo, true, false},
        {"Windows 98", kWindows98, kAnswerYes, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        m.dialogs.answer = c.answer;
        m.system.version = c.os;
        m.InstallRuntime();
        m.AccessShowsItsWindow();
        m.registry.PutString(RootKey::LocalMachine, "SOFTWARE\\Stock", "CmdLine", "/runtime");
        m.registry.PutString(RootKey::LocalMachine, "SOFTWARE\\Stock\\Run-Time Options", "TitleBar",
                             "Magazzino");
        m.registry.PutString(RootKey::ClassesRoot, kAccessLibKey(), "", "C:\\Old\\MSACC.OLB");
        // The write reports success but does not take effect.
        m.registry.FailWrites(RootKey::ClassesRoot, std::string("TypeLib\\") + kAccessLibId, 0);

        m.Launch("-LOGGING -CMD=\"SOFTWARE\\Stock\" " + kDatabase);

        Lines expected =
            Join({{kHeader, "Have cmdline from registry: /runtime", "ParsedCmdLine: " + kDatabase},
                  Discovery({}, kRuntimeExe),
                  {"The Access 2003 runtime was found!",
                   std::string("Setting strAccess2003Path to runtime path: ") + kRuntimeFolder,
                   "Saving default registry settings", "Access.Application\\CurVer = ",
                   "2003 - current MSACCOLB Path is: C:\\Old\\MSACC.OLB",
                   "2003 - need to set MSACCOLB Path to: " + kRuntimeLib,
                   "2003 - error setting MSACCOLB Path to: " + kRuntimeLib,
                   "MSACCOLB Path still set to: C:\\Old\\MSACC.OLB"}});
        if (c.repaired)
            expected =
                Join({expected,
                      {"2003 - After RunLanvikPermissions. Register MSACCOLB to: " + kRuntimeLib,
                       "MSACCOLB Path now set to: C:\\Old\\MSACC.OLB"}});
        expected = Join({expected, Launched(kRuntimeExe, "/runtime " + kDatabase, kFound), kEnd});
        EXPECT_EQ(m.LogLines(), expected);

        ASSERT_EQ(m.dialogs.shown.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(m.dialogs.shown[0].title, "Registry Error");
            EXPECT_EQ(m.dialogs.shown[0].text,
                      "Magazzino has encountered an error writing to the registry.\n\nMagazzino "
                      "will not run properly until the registry permissions are reset.\n\nDo you "
                      "want to repair the registry permissions now?");
            EXPECT_EQ(m.dialogs.shown[0].style, 0x34u);
        }
        ASSERT_EQ(m.programs.starts.size(), c.repaired ? 1u : 0u);
        if (c.repaired) {
            EXPECT_EQ(m.programs.starts[0].parameters, "");
            EXPECT_EQ(m.typeLibraries.registered.size(), 2u);
        } else {
            EXPECT_EQ(m.typeLibraries.registered.size(), 1u);
        }
        EXPECT_EQ(m.capture.files.files.count(kRepairPath), 0u);
        // The launch went on.
        EXPECT_EQ(m.processes.starts.size(), 1u);
    }
}

// ---------------------------------------------------------------------------------------------
// Watching for Access's window

TEST_F(LaunchSequenceTest, EveryWatchOutcomeRestoresTheRegistry) {
    struct Case {
        const char* name;
        std::function<void(Machine&)> arrange;
        Lines tail;
        std::size_t sleeps;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> lastWait;  // the final wait, if any
    };
    const Case cases[] = {
        {"found at once",
         [](Machine& t) { t.AccessShowsItsWindow(); },
         Launched(kRuntimeExe, kDatabase, kFound),
         0,
         {{kAccessProcessId, 15000}}},
        {"found after three polls",
         [](Machine& t) {
             t.clock.onSleep = [&t](std::uint64_t now) {
                 if (now == 3000) t.AccessShowsItsWindow();
             };
         },
         Launched(kRuntimeExe, kDatabase, kFound),
         3,
         {{kAccessProcessId, 15000}}},
        {"exits early",
         [](Machine& t) {
             t.clock.onSleep = [&t](std::uint64_t now) {
                 if (now == 2000) t.processes.End(kAccessProcessId);
             };
         },
         Launched(kRuntimeExe, kDatabase, kTimedOut),
         2,
         {{kAccessProcessId, 0}}},
        {"never found",
         [](Machine&) {},
         Launched(kRuntimeExe, kDatabase, kTimedOut),
         60,
         {{kAccessProcessId, 0}}},
        {"start failure",
         [](Machine& t) { t.processes.failStart = true; },
         {std::string("Launching Access: ") + kRuntimeExe, "\twith cmdline: " + kDatabase,
          kTimedOut},
         0,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        m.InstallRuntime();
        m.registry.PutString(RootKey::ClassesRoot, kCurVerKey, "", "Access.Application.12");
        m.registry.PutString(RootKey::ClassesRoot, kAccessLibKey(), "", "C:\\Office12\\MSACC.OLB");
        m.registry.PutDword(RootKey::CurrentUser, kMacroSecurityKey, "Level", 3);
        c.arrange(m);

        m.processes.nextProcessId = kAccessProcessId;
        m.Launch("-LOGGING " + kDatabase);

        Lines lines = m.LogLines();
        ASSERT_GE(lines.size(), c.tail.size() + 2);
        EXPECT_EQ(Lines(lines.end() - static_cast<long>(c.tail.size() + 2), lines.end()),
                  Join({c.tail, kEnd}));
        EXPECT_EQ(m.clock.sleeps, std::vector<std::uint32_t>(c.sleeps, 1000));
        if (!c.lastWait.empty()) {
            ASSERT_FALSE(m.processes.waits.empty());
            EXPECT_EQ(m.processes.waits.back(), c.lastWait[0]);
        }
        // Whatever happened, the previous, newer registration is back.
        EXPECT_EQ(m.Text(RootKey::ClassesRoot, kCurVerKey), "Access.Application.12");
        EXPECT_EQ(m.AccessLibPath(), "C:\\Office12\\MSACC.OLB");
        EXPECT_EQ(m.Text(RootKey::CurrentUser, kMacroSecurityKey, "Level"), "3");
        EXPECT_EQ(m.registry.openKeyCount(), 0);
    }
}

TEST_F(LaunchSequenceTest, WaitZeroWaitsUntilAccessEndsAndShowCommandIsPassed) {
    InstallRuntime();
    AccessShowsItsWindow();
    system.version = kWindows7;
    Launch("-WAIT=0 -NORMAL " + kDatabase);
    ASSERT_EQ(processes.starts.size(), 1u);
    EXPECT_EQ(processes.starts[0].method, MemoryProcesses::Method::Shell);
    EXPECT_EQ(processes.starts[0].file, kRuntimeExe);
    EXPECT_EQ(processes.starts[0].parameters, kDatabase);
    EXPECT_EQ(processes.starts[0].showCommand, 1);
    ASSERT_FALSE(processes.waits.empty());
    EXPECT_EQ(processes.waits.back().second, kInfiniteWait);
    EXPECT_TRUE(capture.files.files.empty()) << "no log without -LOGGING";
}

// ---------------------------------------------------------------------------------------------
// Registry before, during and after

TEST_F(LaunchSequenceTest, Runtime2003LaunchPreparesTheRegistryAndPutsBackOnlyTheSnapshot) {
    InstallRuntime();
    system.AddFile("C:\\Program Files\\Common Files\\Microsoft Shared\\Office11\\mso.dll");
    registry.PutString(RootKey::ClassesRoot, kCurVerKey, "", "Access.Application.12");
    registry.PutString(RootKey::ClassesRoot, kAccessClsidKey, "", "{CLSID-12}");
    registry.PutString(RootKey::ClassesRoot, kAccessLibKey(), "", "C:\\Office12\\MSACC.OLB");
    registry.PutString(RootKey::ClassesRoot, std::string("TypeLib\\") + kAccessLibId + "\\9.0", "",
                       "Microsoft Access 12.0 Object Library");
    registry.PutString(RootKey::ClassesRoot, "Access.Application.11\\shell\\open\\ddeexec", "",
                       "[Open]");

    // What Access sees while it starts.
    std::map<std::string, std::string> during;
    clock.onSleep = [&](std::uint64_t) {
        during["lib"] = AccessLibPath();
        during["curver"] = Text(RootKey::ClassesRoot, kCurVerKey);
        during["level"] = Text(RootKey::CurrentUser, kMacroSecurityKey, "Level");
        during["dde"] =
            Text(RootKey::CurrentUser, "Software\\Microsoft\\Office\\11.0\\Access\\Settings",
                 "Ignore DDE Requests");
        AccessShowsItsWindow();
    };
    Launch("-LOGGING " + kDatabase);

    EXPECT_EQ(during["lib"], kRuntimeLib);
    EXPECT_EQ(during["curver"], "Access.Application.11");
    EXPECT_EQ(during["level"], "1");
    EXPECT_EQ(during["dde"], "0");

    // 12 is newer than 11: the object library values are restored.
    Lines lines = LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Not setting back object library"), 0);
    EXPECT_EQ(AccessLibPath(), "C:\\Office12\\MSACC.OLB");
    EXPECT_EQ(Text(RootKey::ClassesRoot, kCurVerKey), "Access.Application.12");
    EXPECT_EQ(Text(RootKey::ClassesRoot, std::string("TypeLib\\") + kAccessLibId + "\\9.0"),
              "Microsoft Access 12.0 Object Library");
    EXPECT_EQ(Text(RootKey::ClassesRoot, kAccessClsidKey), "{CLSID-12}");
    // A level that did not exist is 2 afterwards.
    EXPECT_EQ(Text(RootKey::CurrentUser, kMacroSecurityKey, "Level"), "2");
    // The edits outside the snapshot stay.
    EXPECT_EQ(Text(RootKey::CurrentUser, "Software\\Microsoft\\Office\\11.0\\Access\\Settings",
                   "Ignore DDE Requests"),
              "0");
    EXPECT_EQ(Text(RootKey::CurrentUser, "Software\\Microsoft\\Office\\9.0\\Access", "UserData"),
              "1");
    EXPECT_EQ(Text(RootKey::CurrentUser,
                   "Software\\Microsoft\\Shared Tools\\Graphics Filters\\Import\\GIF\\Options",
                   "ShowProgressDialog"),
              "No");
    EXPECT_FALSE(
        registry.HasKey(RootKey::ClassesRoot, "Access.Application.11\\shell\\open\\ddeexec"));
    EXPECT_EQ(Text(RootKey::ClassesRoot,
                   "TypeLib\\{2DF8D04C-5BFA-101B-BDE5-00AA0044DE52}\\2.3\\0\\win32"),
              "C:\\Program Files\\Common Files\\Microsoft Shared\\Office11\\mso.dll");
    // Values the version block wrote that were not there before are not in the snapshot: they
    // stay (the library's FLAGS and HELPDIR).
    EXPECT_EQ(Text(RootKey::ClassesRoot, std::string("TypeLib\\") + kAccessLibId + "\\9.0\\FLAGS"),
              "0");
}

TEST_F(LaunchSequenceTest, ANewerOrEqualRegistrationStaysAfterTheLaunch) {
    struct Case {
        const char* previous;  // null: no CurVer before
        bool kept;             // "Not setting back object library"
        const char* curVerAfter;
    };
    const Case cases[] = {
        {"Access.Application.12", false, "Access.Application.12"},
        {"Access.Application.11", true, "Access.Application.11"},
        {"Access.Application.9", true, "Access.Application.11"},
        {"Access.Application.", true, "Access.Application.11"},   // exactly 19: 0
        {"Access.Application.x", true, "Access.Application.11"},  // no digits: 0
        {"Access.App.12", true, "Access.Application.11"},         // shorter than 19: 0
        {"Access.Application.100", false, "Access.Application.100"},
        {nullptr, false, "Access.Application.11"},  // nothing to compare; nothing to restore
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.previous ? c.previous : "(none)");
        Machine m;
        m.InstallRuntime();
        m.AccessShowsItsWindow();
        if (c.previous) m.registry.PutString(RootKey::ClassesRoot, kCurVerKey, "", c.previous);
        m.registry.PutString(RootKey::ClassesRoot, kAccessLibKey(), "", "C:\\Old\\MSACC.OLB");
        m.registry.PutString(RootKey::ClassesRoot, kAccessClsidKey, "", "{OLD}");
        m.Launch("-LOGGING " + kDatabase);

        Lines lines = m.LogLines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 3] == "Not setting back object library", c.kept);
        EXPECT_EQ(m.Text(RootKey::ClassesRoot, kCurVerKey), c.curVerAfter);
        EXPECT_EQ(m.AccessLibPath(), c.kept ? kRuntimeLib : "C:\\Old\\MSACC.OLB");
        // The CLSID is one of the four; the launch never changes it, so it reads the same.
        EXPECT_EQ(m.Text(RootKey::ClassesRoot, kAccessClsidKey), "{OLD}");
    }
}

TEST(CurVerNumber, ReadsTheNumberAfterTheProgIdPrefix) {
    struct Case {
        const char* text;
        long number;
    };
    const Case cases[] = {
        {"Access.Application.11", 11},
        {"Access.Application.12x", 12},
        {"Access.Application.", 0},
        {"Access.Application.x1", 0},
        {"Short", 0},
        {"", 0},
        {"ABCDEFGHIJKLMNOPQRS7", 7},
        {"Access.Application. 8", 8},
        {"Access.Application.99999999999999999999999", 9223372036854775807L},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CurVerNumber(c.text), c.number);
    }
}

// ---------------------------------------------------------------------------------------------
// Stored command line and the security launcher

TEST_F(LaunchSequenceTest, StoredCommandLineUnderHkcuWithTheTitleFromHklm) {
    InstallRuntime();
    AccessShowsItsWindow();
    registry.PutString(RootKey::CurrentUser, "Software\\Stock", "Switches", "/excl");
    registry.PutString(RootKey::LocalMachine, "Software\\Stock\\Run-Time Options", "TitleBar",
                       "Magazzino");
    registry.PutString(RootKey::CurrentUser, "Software\\Stock\\Run-Time Options", "TitleBar",
                       "wrong");
    Launch("-LOGGING -CMD=\"HKCU\\Software\\Stock\" -VALUE=\"Switches\"");
    Lines lines = LogLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "Have cmdline from registry: /excl");
    EXPECT_EQ(lines[2], "ParsedCmdLine: ");
    ASSERT_EQ(processes.starts.size(), 1u);
    EXPECT_EQ(processes.starts[0].commandText, "\"" + std::string(kRuntimeExe) + "\" /excl ");
}

TEST_F(LaunchSequenceTest, DotSecCommandLineStartsTheSecurityLauncher) {
    InstallRuntime();
    system.AddFile("C:\\Data\\launch32.exe");
    AccessShowsItsWindow();
    Launch("-LOGGING C:\\Data\\Stock.sec");
    ASSERT_EQ(processes.starts.size(), 1u);
    EXPECT_EQ(processes.starts[0].commandText, "\"C:\\Data\\launch32.exe\" C:\\Data\\Stock.sec");
    Lines lines = LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Launching Access: C:\\Data\\launch32.exe"),
              lines.end());
}

}  // namespace
}  // namespace lanvik
