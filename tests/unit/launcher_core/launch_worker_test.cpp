#include "core/launch_worker.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/memory_files.h"

namespace lanvik {
namespace {

struct RecordedBox {
    std::string text, title;
    unsigned style;
};

class RecordingDialogs : public Dialogs {
  public:
    int ShowMessage(const std::string& text, const std::string& title, unsigned style) override {
        boxes.push_back({text, title, style});
        return kAnswerOk;
    }
    std::vector<RecordedBox> boxes;
};

const std::string kPath = "C:\\Users\\user\\Desktop\\LanvikLog.txt";
const std::string kSep = "===================================================\r\n";

TEST(LaunchWorker, AnEmptyCommandLineShowsOnlyTheInvalidCommandLineBox) {
    MemoryFiles files;
    RecordingDialogs dialogs;
    LogService log;
    int launches = 0;
    RunLaunchWorker("", log, files, dialogs,
                    [&](const LaunchOptions&, const std::string&) { ++launches; });
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Invalid Command line");
    EXPECT_EQ(dialogs.boxes[0].title, "Lanvik");
    EXPECT_EQ(dialogs.boxes[0].style, 0x30u);  // OK button, exclamation icon
    EXPECT_EQ(launches, 0);
    EXPECT_TRUE(files.files.empty());
}

TEST(LaunchWorker, OptionsAloneAreAValidCommandLine) {
    MemoryFiles files;
    RecordingDialogs dialogs;
    LogService log;
    std::string seenRemaining = "unset";
    std::string seenCopy;
    RunLaunchWorker("-LOGGING", log, files, dialogs,
                    [&](const LaunchOptions& options, const std::string& copy) {
                        seenRemaining = options.remainingCommandLine;
                        seenCopy = copy;
                        log.Line("-capture");
                    });
    log.Close();
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(seenRemaining, "");
    EXPECT_EQ(seenCopy, "-LOGGING");
    EXPECT_EQ(files.files[kPath],
              kSep + "Lanvik_2003 version: 2.1.0.41\r\n-capture\r\n" + kSep + "\r\n\r\n");
}

TEST(LaunchWorker, SpacesOnlyAreAValidCommandLineWithNothingLogged) {
    // Spaces only: valid, nothing logged since logging is off.
    MemoryFiles files;
    RecordingDialogs dialogs;
    LogService log;
    bool launched = false;
    RunLaunchWorker("   ", log, files, dialogs,
                    [&](const LaunchOptions&, const std::string&) { launched = true; });
    EXPECT_TRUE(launched);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(files.files.empty());
}

}  // namespace
}  // namespace lanvik
