// The permission repair step against fake files, processes and resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/memory_files.h"
#include "core/memory_program_runner.h"
#include "core/permission_repair.h"
#include "registry/memory_system.h"

namespace lanvik {
namespace {

const char kPath[] = "C:\\Users\\user\\AppData\\Local\\Temp\\LanvikPermissions.exe";
const std::string kProgram = std::string("MZ\x90\0repair program", 19);

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

class PermissionRepairTest : public ::testing::Test {
  protected:
    PermissionRepairTest() { resources.resources[{133, "BIN"}] = kProgram; }

    MemorySystem system;
    MemoryModuleResources resources;
    MemoryFiles files;
    MemoryProgramRunner processes{files};
    RepairPlatform platform{system, resources, files, processes};
};

TEST_F(PermissionRepairTest, RunsExactlyWhatItWroteWhileHoldingItAndDeletesItAfterwards) {
    files.files[kPath] = "an older copy";
    bool triedDuringRun = false;
    processes.whileRunning = [&](const std::string& path) {
        triedDuringRun = true;
        // Another program of the user cannot swap or remove the file while it runs.
        EXPECT_FALSE(files.WriteNewFile(path, "MZ evil", FileSharing::None, false));
        EXPECT_FALSE(files.RemoveFile(path));
        EXPECT_FALSE(files.OpenHeld(path, FileSharing::None)) << "readers are welcome, not owners";
        EXPECT_TRUE(files.OpenHeld(path, FileSharing::Read)) << "the loader must read it";
    };

    RunLanvikPermissions(platform, false);

    ASSERT_EQ(processes.starts.size(), 1u);
    const auto& start = processes.starts[0];
    EXPECT_EQ(start.path, kPath);
    EXPECT_EQ(start.parameters, "noprogress");
    EXPECT_EQ(start.content, kProgram);
    EXPECT_TRUE(start.fileHeld);
    EXPECT_TRUE(start.waited);
    EXPECT_TRUE(triedDuringRun);
    EXPECT_EQ(files.files.count(kPath), 0u);
    EXPECT_FALSE(files.IsHeld(kPath));
}

TEST_F(PermissionRepairTest, ShowsProgressUnlessToldNot) {
    RunLanvikPermissions(platform, true);
    RunLanvikPermissions(platform, false);
    ASSERT_EQ(processes.starts.size(), 2u);
    EXPECT_EQ(processes.starts[0].parameters, "");
    EXPECT_EQ(processes.starts[1].parameters, "noprogress");
}

TEST_F(PermissionRepairTest, StartsNothingThatChangedAfterItWasWritten) {
    files.afterWrite = [&](const std::string& path) { files.files[path] = "MZ replaced"; };
    RunLanvikPermissions(platform, true);
    EXPECT_TRUE(processes.starts.empty());
    EXPECT_EQ(files.files.count(kPath), 0u);
}

TEST_F(PermissionRepairTest, DeletesTheFileOnEveryPath) {
    struct Case {
        const char* name;
        bool haveResource;
        bool refuseStart;
        bool failWrites;
        std::size_t starts;
    };
    const Case cases[] = {
        {"elevation refused", true, true, false, 1},
        {"resource missing", false, false, false, 0},
        {"file not written", true, false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFiles localFiles;
        MemoryProgramRunner localProcesses{localFiles};
        MemoryModuleResources localResources;
        if (c.haveResource) localResources.resources[{133, "BIN"}] = kProgram;
        localProcesses.refuse = c.refuseStart;
        localFiles.failWrites = c.failWrites;
        localFiles.files[kPath] = "left over";
        RunLanvikPermissions({system, localResources, localFiles, localProcesses}, false);
        EXPECT_EQ(localProcesses.starts.size(), c.starts);
        EXPECT_EQ(localFiles.files.count(kPath), 0u);
        for (const auto& start : localProcesses.starts) EXPECT_FALSE(start.waited);
    }
}

TEST_F(PermissionRepairTest, DoesNothingWithoutATemporaryFolder) {
    system.tempFolder.clear();
    RunLanvikPermissions(platform, false);
    EXPECT_TRUE(processes.starts.empty());
    EXPECT_TRUE(files.files.empty());
}

TEST(RegistryErrorQuestion, NamesTheApplicationInBothSentences) {
    EXPECT_EQ(ComposeRegistryErrorQuestion(""),
              "The application has encountered an error writing to the registry.\n\n"
              "The application will not run properly until the registry permissions are reset."
              "\n\nDo you want to repair the registry permissions now?");
    EXPECT_EQ(ComposeRegistryErrorQuestion("Lanvik Gestione"),
              "Lanvik Gestione has encountered an error writing to the registry.\n\n"
              "Lanvik Gestione will not run properly until the registry permissions are reset."
              "\n\nDo you want to repair the registry permissions now?");
}

TEST_F(PermissionRepairTest, AsksOutsideWindows9xAndRepairsWithProgressOnYes) {
    const std::string question = ComposeRegistryErrorQuestion("App");
    ScriptedDialogs dialogs;

    OsVersionFlags win98;
    win98.majorIs4 = true;
    win98.platformIs9x = true;
    EXPECT_FALSE(AskToRepairRegistry(platform, dialogs, question, win98));
    EXPECT_TRUE(dialogs.shown.empty());

    OsVersionFlags xp;
    dialogs.answer = kAnswerNo;
    EXPECT_FALSE(AskToRepairRegistry(platform, dialogs, question, xp));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, question);
    EXPECT_EQ(dialogs.shown[0].title, "Registry Error");
    EXPECT_EQ(dialogs.shown[0].style, 0x34u);
    EXPECT_TRUE(processes.starts.empty());

    dialogs.answer = kAnswerYes;
    EXPECT_TRUE(AskToRepairRegistry(platform, dialogs, question, xp));
    ASSERT_EQ(processes.starts.size(), 1u);
    EXPECT_EQ(processes.starts[0].parameters, "") << "progress shown, whatever -NOPROGRESS says";
    EXPECT_EQ(files.files.count(kPath), 0u);
}

}  // namespace
}  // namespace lanvik
