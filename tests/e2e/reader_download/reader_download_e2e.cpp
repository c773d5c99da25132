// Given a pen with these readings on COM5 and a database made by the test, when a VBScript sets
// Porta and DbPath and calls Scarica, the user sees these boxes and the table holds these rows.
// Every scenario runs twice: with a SQLite file, and with an Access file (".mdb") through the
// stand-in DAO engine, which keeps its rows in a SQLite file too, so both give the same rows.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "reader_download_fixture.h"

namespace reader_download_e2e {
namespace {

INSTANTIATE_TEST_SUITE_P(Storage, ReaderDownload, testing::ValuesIn(e2e::kStorages),
                         [](const testing::TestParamInfo<e2e::Storage>& info) {
                             return std::string(info.param.name);
                         });

TEST_P(ReaderDownload, ThreeReadingsAndEmptyGiveThreeRows) {
    Registered registered(kMurello11500);
    standins::SimulatedPen pen;
    pen.AddRecord("A1;12;7;3");
    pen.AddRecordInPieces("B-22;1;2;0,5", 3, 30ms);
    pen.AddRecord("C3;100;200;12.25");
    pen.AddRecord("EMPTY");
    pen.AddRecord("NEVER;1;1;1");

    const e2e::ScenarioResult result = RunDownloads(kMurello11500, pen, 1, 0);

    EXPECT_TRUE(result.dialogs.empty());
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"'A1',12,7,3.0", "'B-22',1,2,0.5", "'C3',100,200,12.25"}));
    EXPECT_EQ(pen.Received(), "cccc");
}

TEST_P(ReaderDownload, LowerCaseEmptyEndsAndValuesAreStoredExactly) {
    Registered registered(kMurello11500);
    standins::SimulatedPen pen;
    pen.AddRecord("empty");
    pen.AddRecord("Q1;1;1;3.0");
    pen.AddRecord("Q2;1;1;3,0");
    pen.AddRecord("O'Brien;2;3;2,75");
    pen.AddRecord("Caff\xE8;4;5;1");
    pen.AddRecord("eMpTy");

    const e2e::ScenarioResult result = RunDownloads(kMurello11500, pen, 2, 0);

    EXPECT_TRUE(result.dialogs.empty());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"'Q1',1,1,3.0", "'Q2',1,1,3.0",
                                                "'O''Brien',2,3,2.75", "'Caff\xC3\xA8',4,5,1.0"}));
    EXPECT_EQ(pen.Requests(), 6);
}

TEST_P(ReaderDownload, ShortRecordShowsTheErrorKeepsRowsAndTheNextDownloadWorks) {
    Registered registered(kMurello11500);
    standins::SimulatedPen pen;
    pen.AddRecord("A1;12;7;3");
    pen.AddRecord("B2;5;6");
    pen.AddRecord("C3;1;1;1");
    pen.AddRecord("EMPTY");

    const e2e::ScenarioResult result = RunDownloads(kMurello11500, pen, 2, 1);

    ASSERT_EQ(result.dialogs.size(), 1u);
    EXPECT_EQ(result.dialogs[0].title, "Errore n. 5");
    EXPECT_EQ(result.dialogs[0].text, "Invalid procedure call or argument");
    EXPECT_TRUE(result.dialogs[0].icon);
    EXPECT_EQ(result.dialogs[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(Rows(), (std::vector<std::string>{"'A1',12,7,3.0", "'C3',1,1,1.0"}));
    EXPECT_EQ(pen.Requests(), 4);
}

TEST_P(ReaderDownload, SilentPenShowsTheTimeOutAndTheNextDownloadWorks) {
    Registered registered(kMurello11500);
    standins::SimulatedPen pen;
    pen.AddRecord("A1;1;1;1");
    pen.AddAnswer({{}, 0ms});  // the second request gets no answer
    pen.AddRecord("B1;2;2;2");
    pen.AddRecord("EMPTY");

    const e2e::ScenarioResult result = RunDownloads(kMurello11500, pen, 2, 1);

    ASSERT_EQ(result.dialogs.size(), 1u);
    EXPECT_EQ(result.dialogs[0].title, "TimeOut Error");
    EXPECT_EQ(result.dialogs[0].text, kTimeoutText);
    EXPECT_TRUE(result.dialogs[0].icon);
    EXPECT_EQ(result.dialogs[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(Rows(), (std::vector<std::string>{"'A1',1,1,1.0", "'B1',2,2,2.0"}));
    EXPECT_EQ(pen.Requests(), 4);
    // The first call waited 1.5 to 2.5 s, plus the time the box was open.
    const auto at = result.out.find("elapsed ");
    ASSERT_NE(at, std::string::npos) << result.out;
    const int elapsedMs = std::stoi(result.out.substr(at + 8));
    EXPECT_GE(elapsedMs, 1500);
    EXPECT_LE(elapsedMs, 2500 + 4000);
}

// While the terminal denies every access, the wineserver (run without the root capabilities that
// bypass file permissions) cannot open it: the open fails with access denied, which is what
// Windows answers for a port that another program holds.
class TerminalHeld {
  public:
    explicit TerminalHeld(std::filesystem::path terminal) : terminal_(std::move(terminal)) {
        struct stat info {};
        if (stat(terminal_.c_str(), &info) != 0)
            throw std::runtime_error("no " + terminal_.string());
        mode_ = info.st_mode & 07777;
        chmod(terminal_.c_str(), 0);
    }
    ~TerminalHeld() { Release(); }
    TerminalHeld(const TerminalHeld&) = delete;
    TerminalHeld& operator=(const TerminalHeld&) = delete;
    void Release() {
        if (held_) chmod(terminal_.c_str(), mode_);
        held_ = false;
    }

  private:
    std::filesystem::path terminal_;
    mode_t mode_ = 0600;
    bool held_ = true;
};

TEST_P(ReaderDownload, PortHeldByAnotherProgramShows8005AndTheNextDownloadWorks) {
    Registered registered(kMurello11500);
    standins::SimulatedPen pen;
    pen.AddRecord("A1;1;1;1");
    pen.AddRecord("EMPTY");
    TerminalHeld held(pen.TerminalPath());
    const std::filesystem::path seen = temp_.unix / "busy_seen.flag";
    const std::filesystem::path freed = temp_.unix / "port_free.flag";
    std::filesystem::remove(seen);
    std::filesystem::remove(freed);
    // The script tells when its first call has returned, and waits (at most 20 s) until the
    // port is free before its second call on the same object.
    const std::string calls =
        "o.Scarica\r\n"
        "Set fs = CreateObject(\"Scripting.FileSystemObject\")\r\n"
        "fs.CreateTextFile(\"" +
        temp_.windows +
        "\\busy_seen.flag\").Close\r\n"
        "t = Timer\r\n"
        "Do While Not fs.FileExists(\"" +
        temp_.windows +
        "\\port_free.flag\") And Timer - t < 20\r\n"
        "Loop\r\n"
        "o.Scarica\r\n"
        "WScript.Echo \"done\"\r\n";
    std::thread freeing([&] {
        const auto deadline = std::chrono::steady_clock::now() + 40s;
        while (!std::filesystem::exists(seen) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
        }
        held.Release();
        e2e::WriteFile(freed, "");
    });

    const e2e::ScenarioResult result = RunScript(kMurello11500, pen, kPort, calls, 1);
    freeing.join();

    ASSERT_EQ(result.dialogs.size(), 1u) << result.out << result.err;
    EXPECT_EQ(result.dialogs[0].title, "Errore n. 8005");
    EXPECT_EQ(result.dialogs[0].text,
              "La porta selezionata risulta gi\xC3\xA0 aperta da un altro programma.");
    EXPECT_EQ(result.dialogs[0].icon_kind, "error");
    EXPECT_EQ(result.dialogs[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_NE(result.out.find("done"), std::string::npos) << result.out << result.err;
    // Nothing reached the pen while the port was held; then one download ran in full.
    EXPECT_EQ(pen.Received(), "cc");
    EXPECT_EQ(Rows(), std::vector<std::string>{"'A1',1,1,1.0"});
    std::filesystem::remove(seen);
    std::filesystem::remove(freed);
}

// Porta 0, and a port number that leads to no device, are refused by the serial line with its
// own error, shown by the trap with its number and description; the object stays usable.
TEST_P(ReaderDownload, PortErrorsShowTheSerialLinesNumberAndDescription) {
    Registered registered(kMurello11500);
    standins::SimulatedPen pen;
    pen.AddRecord("A1;1;1;1");
    pen.AddRecord("EMPTY");
    constexpr int kMissingPort = 42;
    e2e::UnlinkComPort(kMissingPort);
    const std::string calls = "o.Scarica\r\no.Porta = " + std::to_string(kMissingPort) +
                              "\r\no.Scarica\r\no.Porta = " + std::to_string(kPort) +
                              "\r\no.Scarica\r\n";

    const e2e::ScenarioResult result = RunScript(kMurello11500, pen, 0, calls, 2);

    ASSERT_EQ(result.dialogs.size(), 2u) << result.out << result.err;
    for (const e2e::Dialog& dialog : result.dialogs) {
        SCOPED_TRACE(dialog.title);
        EXPECT_EQ(dialog.title, "Errore n. 8002");
        EXPECT_EQ(dialog.text, "Invalid Port Number");
        EXPECT_EQ(dialog.icon_kind, "error");
        EXPECT_EQ(dialog.buttons, std::vector<std::string>{"OK"});
    }
    EXPECT_EQ(pen.Received(), "cc");
    EXPECT_EQ(Rows(), std::vector<std::string>{"'A1',1,1,1.0"});
}

TEST_P(ReaderDownload, SixteenBitBuildDownloadsToo) {
    Registered registered(kMurello111);
    standins::SimulatedPen pen;
    pen.AddRecord("Z9;9;9;9,5");
    pen.AddRecord("EMPTY");

    const e2e::ScenarioResult result = RunDownloads(kMurello111, pen, 1, 0);

    EXPECT_TRUE(result.dialogs.empty());
    EXPECT_EQ(Rows(), std::vector<std::string>{"'Z9',9,9,9.5"});
}

TEST_P(ReaderDownload, ThousandReadingsInOneDownload) {
    Registered registered(kMurello11500);
    standins::SimulatedPen pen;
    for (int n = 1; n <= 1000; ++n) {
        pen.AddRecord("ART" + std::to_string(n) + ";" + std::to_string(n) + ";1;1,5");
    }
    pen.AddRecord("EMPTY");

    const e2e::ScenarioResult result = RunDownloads(kMurello11500, pen, 1, 0);

    EXPECT_TRUE(result.dialogs.empty());
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 1000u);
    EXPECT_EQ(rows.front(), "'ART1',1,1,1.5");
    EXPECT_EQ(rows.back(), "'ART1000',1000,1,1.5");
    const auto at = result.out.find("elapsed ");
    ASSERT_NE(at, std::string::npos);
    const int elapsedMs = std::stoi(result.out.substr(at + 8));
    RecordProperty("records_per_second", std::to_string(1000 * 1000 / std::max(elapsedMs, 1)));
    std::cout << "1000 readings in " << elapsedMs << " ms\n";
}

}  // namespace
}  // namespace reader_download_e2e
