// The per-version registry edits against the in-memory platform.
#include "registry/version_preparation.h"

#include <gtest/gtest.h>

#include "launch_fixture.h"
#include "registry/registry_access.h"

namespace lanvik {
namespace {

constexpr const char* kTrusted =
    "Software\\Microsoft\\Office\\12.0\\Access\\Security\\Trusted Locations";

TEST(DatabasePathFromCommandLine, FindsTheFirstExtensionInSearchOrderAndChecksTheFile) {
    struct Case {
        const char* commandLine;
        const char* existing;  // file that exists, or null
        const char* path;
    };
    const Case cases[] = {
        {"\"C:\\Data\\App.MDB\" /runtime", "c:\\data\\app.mdb", "c:\\data\\app.mdb"},
        {"   \"C:\\Data\\App.accdb\"", "C:\\Data\\app.accdb", "c:\\data\\app.accdb"},
        // .mdb is searched before .mdw: the database wins over the workgroup file.
        {"\"C:\\Sec\\system.mdw\" \"C:\\Data\\app.mdb\"", "C:\\Data\\app.mdb", "c:\\data\\app.mdb"},
        // Without quotes the path starts at the beginning of the command line.
        {"/excl C:\\Data\\app.mdb", "C:\\Data\\app.mdb", ""},
        {"/excl C:\\Data\\app.mdb", "/excl c:\\data\\app.mdb", "/excl c:\\data\\app.mdb"},
        {"C:\\Data\\app.mdb", "C:\\Data\\app.mdb", "c:\\data\\app.mdb"},
        {"\"C:\\Data\\app.mdb\"", nullptr, ""},
        // At position 0 an extension is skipped and the next one is tried.
        {".mdb \"C:\\w.mdw\"", "c:\\w.mdw", "c:\\w.mdw"},
        {"/nostartup", nullptr, ""},
        {"", nullptr, ""},
        // The first extension found ends the search, even when that file is missing.
        {"\"C:\\a.accde\" \"C:\\b.mdb\"", "C:\\b.mdb", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        MemorySystem system;
        if (c.existing != nullptr) system.AddFile(c.existing);
        EXPECT_EQ(c.path, DatabasePathFromCommandLine(system, c.commandLine));
    }
}

class VersionPreparationTest : public LaunchFixture {};

TEST_F(VersionPreparationTest, AddTrustedLocationAddsEachFolderOnce) {
    // No key yet: it is created with a first location named by a new GUID.
    AddTrustedLocation(registry, guids, "C:\\Data");
    EXPECT_EQ(Text(RootKey::CurrentUser,
                   std::string(kTrusted) + "\\{00000000-0000-0000-0000-000000000001}", "Path"),
              "C:\\Data\\");
    EXPECT_EQ(
        registry.ValueNames(RootKey::CurrentUser,
                            std::string(kTrusted) + "\\{00000000-0000-0000-0000-000000000001}"),
        std::vector<std::string>{"Path"});

    // Already trusted, whatever the case and trailing backslash.
    AddTrustedLocation(registry, guids, "c:\\data\\");
    AddTrustedLocation(registry, guids, "C:\\DATA");
    EXPECT_EQ(guids.made, 1);

    // Locations without a readable or non-empty path never match.
    registry.PutString(RootKey::CurrentUser, std::string(kTrusted) + "\\Empty", "Path", "");
    registry.PutDword(RootKey::CurrentUser, std::string(kTrusted) + "\\Number", "Path", 7);
    registry.PutString(RootKey::CurrentUser, std::string(kTrusted) + "\\Other", "Path", "D:\\X");
    guids.queued = {""};  // the GUID cannot be converted: the fallback name is used
    AddTrustedLocation(registry, guids, "C:\\Other");
    EXPECT_EQ(Text(RootKey::CurrentUser, std::string(kTrusted) + "\\TrustedFolder999", "Path"),
              "C:\\Other\\");
    EXPECT_EQ(registry.SubkeyNames(RootKey::CurrentUser, kTrusted).size(), 5u);

    // A write that fails is ignored.
    registry.FailWrites(RootKey::CurrentUser, kTrusted);
    AddTrustedLocation(registry, guids, "E:\\New");
    EXPECT_EQ(registry.SubkeyNames(RootKey::CurrentUser, kTrusted).size(), 5u);
    EXPECT_EQ(registry.openKeyCount(), 0);
}

TEST_F(VersionPreparationTest, BeforeTheSnapshotSetsFilterOptionsUserDataAndDropsDdeExec) {
    for (int n : {8, 9, 10, 11, 12}) {
        const std::string key = "Access.Application." + std::to_string(n) + "\\shell\\open";
        registry.PutString(RootKey::ClassesRoot, key + "\\ddeexec", "", "[Open]");
        registry.PutString(RootKey::ClassesRoot, key + "\\ddeexec\\Application", "", "MSAccess");
        registry.PutString(RootKey::ClassesRoot, key + "\\command", "", "x");
    }
    system.commonFilesFolder = "C:\\Common";
    LaunchState state;
    PrepareBeforeSnapshot(platform, state);

    EXPECT_EQ(state.commonFilesFolder, "C:\\Common");
    for (const char* format : {"GIF", "JPEG", "PICT", "TIFF"}) {
        SCOPED_TRACE(format);
        EXPECT_EQ(
            Text(RootKey::CurrentUser,
                 std::string("Software\\Microsoft\\Shared Tools\\Graphics Filters\\Import\\") +
                     format + "\\Options",
                 "ShowProgressDialog"),
            "No");
    }
    EXPECT_EQ(Text(RootKey::CurrentUser, "Software\\Microsoft\\Office\\9.0\\Access", "UserData"),
              "1");
    for (int n : {8, 9, 10, 11}) {
        SCOPED_TRACE(n);
        const std::string key = "Access.Application." + std::to_string(n) + "\\shell\\open";
        EXPECT_FALSE(registry.HasKey(RootKey::ClassesRoot, key + "\\ddeexec"));
        EXPECT_TRUE(registry.HasKey(RootKey::ClassesRoot, key + "\\command"));
    }
    EXPECT_TRUE(registry.HasKey(RootKey::ClassesRoot,
                                "Access.Application.12\\shell\\open\\ddeexec\\Application"));

    // Without a shell the stored folder is used; without either it stays empty.
    system.commonFilesFolder.reset();
    PrepareBeforeSnapshot(platform, state);
    EXPECT_EQ(state.commonFilesFolder, "");
}

TEST_F(VersionPreparationTest, ObjectLibraryCheckLogsEachStepAsItGoes) {
    struct Case {
        const char* name;
        int version;
        const char* registered;  // current path, or null
        bool libraryFileExists;
        bool platformIs9x;
        int answer;
        std::vector<std::string> log;
        int questions;
        int repairs;
        std::string pathAfter;
    };
    const std::string want3 = std::string(kFull2003FolderUpper) + "\\MSACC.OLB";
    const std::string want7 = std::string(kFull2007FolderUpper) + "\\MSACC.OLB";
    const Case cases[] = {
        {"registered already, other letter case",
         2003,
         "c:\\program files\\office 2003\\office11\\msacc.olb",
         true,
         false,
         kAnswerNo,
         {"2003 - current MSACCOLB Path is: c:\\program files\\office 2003\\office11\\msacc.olb"},
         0,
         0,
         "c:\\program files\\office 2003\\office11\\msacc.olb"},
        {"registered from elsewhere",
         2003,
         "C:\\Old\\MSACC.OLB",
         true,
         false,
         kAnswerNo,
         {"2003 - current MSACCOLB Path is: C:\\Old\\MSACC.OLB",
          "2003 - need to set MSACCOLB Path to: " + want3},
         0,
         0,
         want3},
        {"not registered at all, 2007",
         2007,
         nullptr,
         true,
         false,
         kAnswerNo,
         {"2007 - current MSACCOLB Path is: ", "2007 - need to set MSACCOLB Path to: " + want7},
         0,
         0,
         want7},
        {"registration fails, user says No",
         2003,
         "C:\\Old\\MSACC.OLB",
         false,
         false,
         kAnswerNo,
         {"2003 - current MSACCOLB Path is: C:\\Old\\MSACC.OLB",
          "2003 - need to set MSACCOLB Path to: " + want3,
          "2003 - error setting MSACCOLB Path to: " + want3,
          "MSACCOLB Path still set to: C:\\Old\\MSACC.OLB"},
         1,
         0,
         "C:\\Old\\MSACC.OLB"},
        {"registration fails, user says Yes",
         2007,
         "C:\\Old\\MSACC.OLB",
         false,
         false,
         kAnswerYes,
         {"2007 - current MSACCOLB Path is: C:\\Old\\MSACC.OLB",
          "2007 - need to set MSACCOLB Path to: " + want7,
          "2007 - error setting MSACCOLB Path to: " + want7,
          "MSACCOLB Path still set to: C:\\Old\\MSACC.OLB",
          "2007 - After RunLanvikPermissions. Register MSACCOLB to: " + want7,
          "MSACCOLB Path now set to: C:\\Old\\MSACC.OLB"},
         1,
         1,
         "C:\\Old\\MSACC.OLB"},
        {"registration fails on Windows 98",
         2003,
         "C:\\Old\\MSACC.OLB",
         false,
         true,
         kAnswerYes,
         {"2003 - current MSACCOLB Path is: C:\\Old\\MSACC.OLB",
          "2003 - need to set MSACCOLB Path to: " + want3,
          "2003 - error setting MSACCOLB Path to: " + want3,
          "MSACCOLB Path still set to: C:\\Old\\MSACC.OLB"},
         0,
         0,
         "C:\\Old\\MSACC.OLB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        MemoryRegistry reg;
        MemoryTypeLibraries libraries{reg};
        ScriptedDialogs boxes;
        MemoryProgramRunner runner{log.files};
        LaunchPlatform p{reg,    system,    log.files, boxes, processes, clock,
                         runner, resources, libraries, guids, log.log};
        if (c.registered != nullptr)
            reg.PutString(RootKey::ClassesRoot, kAccessLibKey(), "", c.registered);
        const std::string folder = c.version == 2003 ? kFull2003FolderUpper : kFull2007FolderUpper;
        if (c.libraryFileExists)
            libraries.AddFile(folder + "\\MSACC.OLB", {kAccessLibId, "9.0", "Access"});
        boxes.answer = c.answer;
        LaunchState state;
        state.chosenVersion = c.version;
        state.locations.access2003 = kFull2003FolderUpper;
        state.locations.access2007 = kFull2007FolderUpper;
        state.osFlags.platformIs9x = c.platformIs9x;
        state.registryErrorQuestion = "Question?";

        RunVersionBlock(p, state);

        std::vector<std::string> lines = log.Lines();
        EXPECT_EQ(lines, c.log);
        ASSERT_EQ(static_cast<int>(boxes.shown.size()), c.questions);
        if (c.questions) {
            EXPECT_EQ(boxes.shown[0].text, "Question?");
            EXPECT_EQ(boxes.shown[0].title, "Registry Error");
            EXPECT_EQ(boxes.shown[0].style, 0x34u);
        }
        ASSERT_EQ(static_cast<int>(runner.starts.size()), c.repairs);
        if (c.repairs) {
            EXPECT_EQ(runner.starts[0].parameters, "") << "always with progress";
        }
        // One registration, a second only after a repair.
        EXPECT_EQ(
            libraries.registered.size(),
            std::string(c.log.back()).find("current") != std::string::npos ? 0u : 1u + c.repairs);
        RegistryValue none;
        std::string path;
        ReadStringValue(reg, RootKey::ClassesRoot, kAccessLibKey(), "", path);
        EXPECT_EQ(path, c.pathAfter);
        EXPECT_EQ(state.newCurVer,
                  c.version == 2003 ? "Access.Application.11" : "Access.Application.12");
        std::string curVer;
        ReadStringValue(reg, RootKey::ClassesRoot, "Access.Application\\CurVer", "", curVer);
        EXPECT_EQ(curVer, state.newCurVer);
    }
}

TEST_F(VersionPreparationTest, Block2003RegistersOffice11OnlyWhenMissingAndLowersMacroSecurity) {
    const std::string lib = "TypeLib\\{2DF8D04C-5BFA-101B-BDE5-00AA0044DE52}\\2.3";
    LaunchState state;
    state.chosenVersion = 2003;
    state.locations.access2003 = kFull2003FolderUpper;
    state.commonFilesFolder = "C:\\Program Files\\Common Files";
    system.AddFile("C:\\Program Files\\Common Files\\Microsoft Shared\\Office11\\mso.dll");

    RunVersionBlock(platform, state);
    EXPECT_EQ(Text(RootKey::ClassesRoot, lib), "Microsoft Office 11.0 Object Library");
    EXPECT_EQ(Text(RootKey::ClassesRoot, lib + "\\0\\win32"),
              "C:\\Program Files\\Common Files\\Microsoft Shared\\Office11\\mso.dll");
    EXPECT_TRUE(registry.HasKey(RootKey::ClassesRoot, lib + "\\Flags"));
    EXPECT_TRUE(registry.ValueNames(RootKey::ClassesRoot, lib + "\\Flags").empty());
    // "Level" did not exist: 1 while Access starts, 2 afterwards.
    EXPECT_EQ(state.savedSecurityLevel, 2u);
    EXPECT_EQ(Text(RootKey::CurrentUser, kMacroSecurityKey, "Level"), "1");
    RestoreSecurityLevel(platform, state);
    EXPECT_EQ(Text(RootKey::CurrentUser, kMacroSecurityKey, "Level"), "2");

    // Already registered, whatever the text: nothing written. A level of 3 is kept for later.
    registry.PutString(RootKey::ClassesRoot, lib + "\\0\\win32", "", "elsewhere");
    registry.PutString(RootKey::ClassesRoot, lib, "", "other name");
    registry.PutDword(RootKey::CurrentUser, kMacroSecurityKey, "Level", 3);
    RunVersionBlock(platform, state);
    EXPECT_EQ(Text(RootKey::ClassesRoot, lib), "other name");
    EXPECT_EQ(state.savedSecurityLevel, 3u);
    RestoreSecurityLevel(platform, state);
    EXPECT_EQ(Text(RootKey::CurrentUser, kMacroSecurityKey, "Level"), "3");

    // A level that is not a number counts as 2.
    registry.PutString(RootKey::CurrentUser, kMacroSecurityKey, "Level", "3");
    RunVersionBlock(platform, state);
    EXPECT_EQ(state.savedSecurityLevel, 2u);
}

TEST_F(VersionPreparationTest, Office11IsNotRegisteredWithoutItsFileOrWithoutTheCommonFolder) {
    const std::string lib = "TypeLib\\{2DF8D04C-5BFA-101B-BDE5-00AA0044DE52}\\2.3";
    LaunchState state;
    state.chosenVersion = 2003;
    state.commonFilesFolder = "C:\\Common";
    RunVersionBlock(platform, state);  // no mso.dll
    EXPECT_FALSE(registry.HasKey(RootKey::ClassesRoot, lib));

    // An empty common folder would make the library path relative to the current drive.
    system.AddFile("\\Microsoft Shared\\Office11\\mso.dll");
    state.commonFilesFolder.clear();
    RunVersionBlock(platform, state);
    EXPECT_FALSE(registry.HasKey(RootKey::ClassesRoot, lib));
}

TEST_F(VersionPreparationTest, Block2007TrustsTheDatabaseFolderAndTheUtilityAddInFolder) {
    LaunchState state;
    state.chosenVersion = 2007;
    state.locations.access2007 = kFull2007FolderUpper;
    state.accessCommandLine = "/nostartup \"D:\\Apps\\Stock.accdb\" /cmd x";
    system.AddFile("d:\\apps\\stock.accdb");
    system.AddFile(std::string(kFull2007FolderUpper) + "\\Utility.accda");
    registry.PutDword(RootKey::CurrentUser, kMacroSecurityKey, "Level", 3);

    RunVersionBlock(platform, state);

    const auto names = registry.SubkeyNames(RootKey::CurrentUser, kTrusted);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(Text(RootKey::CurrentUser, std::string(kTrusted) + "\\" + names[0], "Path"),
              "d:\\apps\\");
    EXPECT_EQ(Text(RootKey::CurrentUser, std::string(kTrusted) + "\\" + names[1], "Path"),
              "c:\\program files\\office 2007\\office12\\");
    // The 2007 block leaves macro security alone, and its restore does nothing.
    EXPECT_EQ(Text(RootKey::CurrentUser, kMacroSecurityKey, "Level"), "3");
    RestoreSecurityLevel(platform, state);
    EXPECT_EQ(Text(RootKey::CurrentUser, kMacroSecurityKey, "Level"), "3");

    // A second launch adds nothing.
    RunVersionBlock(platform, state);
    EXPECT_EQ(registry.SubkeyNames(RootKey::CurrentUser, kTrusted).size(), 2u);
}

TEST_F(VersionPreparationTest, DdeSettingDependsOnWhoseClassTheMdbFilesAre) {
    struct Case {
        int version;
        const char* mdbClass;
        const char* key;
        const char* value;
    };
    const char* k11 = "Software\\Microsoft\\Office\\11.0\\Access\\Settings";
    const char* k10 = "Software\\Microsoft\\Office\\10.0\\Access\\Settings";
    const Case cases[] = {
        {2003, "Access.Application.11", k11, "0"}, {2003, "Access.Application.10", k11, "1"},
        {2003, "access.application.11", k11, "1"}, {2003, "", k11, "1"},
        {2007, "Access.Application.10", k10, "0"}, {2007, "Access.Application.12", k10, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.version) + " " + c.mdbClass);
        MemoryRegistry reg;
        LaunchPlatform p{reg,      system,    capture.files, dialogs, processes,  clock,
                         programs, resources, typeLibraries, guids,   capture.log};
        LaunchState state;
        state.chosenVersion = c.version;
        state.mdbFileClass = c.mdbClass;
        WriteDdeSetting(p, state);
        auto value = reg.Get(RootKey::CurrentUser, c.key, "Ignore DDE Requests");
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, kRegDword);
        EXPECT_EQ(value->bytes, std::string(1, c.value[0] - '0') + std::string(3, '\0'));
        EXPECT_EQ(reg.SubkeyNames(RootKey::CurrentUser, "Software\\Microsoft\\Office").size(), 1u);
    }
}

}  // namespace
}  // namespace lanvik
