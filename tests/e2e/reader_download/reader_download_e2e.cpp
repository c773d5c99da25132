// Given a pen with these readings on COM5 and a database made by the test, when a VBScript sets
// Porta and DbPath and calls Scarica, the user sees these boxes and the table holds these rows.
// Every scenario runs twice: with a SQLite file, and with an Access file (".mdb") through the
// stand-in DAO engine, which keeps its rows in a SQLite file too, so both give the same rows.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "e2e/dao_standin.h"
#include "e2e/harness.h"
#include "simulated_pen.h"

namespace {

using namespace std::chrono_literals;

constexpr int kPort = 5;
const char kInstallFolder[] = "C:\\Programmi\\Murello";
const std::string kTimeoutText =
    "Controllare il collegamento con la penna ottica e le impostazioni della porta seriale.";

struct Build {
    std::string dll;
    std::string progId;
};
const Build kMurello11500{"Murello11500", "Murello11500.Murello"};
const Build kMurello111{"Murello111", "ZaradEdadod111.Murello"};

class Registered {
  public:
    explicit Registered(const Build& build)
        : dll_(e2e::CopyIntoPrefix(e2e::Win64Binary(build.dll + ".dll"), kInstallFolder)) {
        Regsvr32(false);
    }
    ~Registered() { Regsvr32(true); }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

  private:
    void Regsvr32(bool unregister) {
        const e2e::ProcessResult result = e2e::Regsvr32(dll_, unregister);
        EXPECT_FALSE(result.timed_out);
        EXPECT_EQ(result.exit_code, 0) << "regsvr32 " << dll_ << ": " << result.err;
    }
    std::string dll_;
};

class ReaderDownloadBase : public testing::Test {
  protected:
    explicit ReaderDownloadBase(const e2e::Storage& storage) : storage_(storage) {}

    void SetUp() override {
        if (storage_.dao) dao_.emplace();
        temp_ = e2e::TempFolder();
        dbUnix_ = temp_.unix / (std::string("letture") + storage_.extension);
        std::filesystem::remove(dbUnix_);
        Sql("CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, IdLotto INTEGER, "
            "\"Quantit\xC3\xA0\" REAL)");
    }
    void TearDown() override {
        e2e::UnlinkComPort(kPort);
        std::filesystem::remove(dbUnix_);
        dao_.reset();
    }

    void Sql(const std::string& statement) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(dbUnix_.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        sqlite3* db = nullptr;
        sqlite3_open_v2(dbUnix_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT quote(Codart)||','||quote([id sottoOrd])||','||"
                           "quote(IdLotto)||','||quote(\"Quantit\xC3\xA0\") FROM Murello "
                           "ORDER BY rowid",
                           -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }

    // Runs a script that creates one object on port `port`, then runs `calls`; the boxes are
    // answered with OK.
    e2e::ScenarioResult RunScript(const Build& build, standins::SimulatedPen& pen, int port,
                                  const std::string& calls, int boxes) {
        e2e::LinkComPort(kPort, pen.TerminalPath());
        pen.Start();
        const std::string script = "Set o = CreateObject(\"" + build.progId + "\")\r\n" +
                                   "o.Porta = " + std::to_string(port) + "\r\n" + "o.DbPath = \"" +
                                   e2e::WindowsPath(dbUnix_) + "\"\r\n" + calls;
        e2e::WriteFile(temp_.unix / "scarica.vbs", script);
        e2e::Scenario scenario;
        scenario.command_line =
            "C:\\windows\\system32\\cscript.exe //nologo " + temp_.windows + "\\scarica.vbs";
        scenario.answers.assign(static_cast<std::size_t>(boxes), "OK");
        scenario.timeout = 60s;
        if (dao_) scenario.env.push_back(dao_->RecordVariable());
        e2e::ScenarioResult result = e2e::RunScenario(scenario);
        pen.Stop();
        EXPECT_FALSE(result.timed_out) << result.out << result.err;
        EXPECT_EQ(result.exit_code, 0) << result.out << result.err;
        return result;
    }

    // Calls Scarica `downloads` times on one object, echoing the milliseconds each call took.
    e2e::ScenarioResult RunDownloads(const Build& build, standins::SimulatedPen& pen, int downloads,
                                     int boxes) {
        std::string calls;
        for (int i = 0; i < downloads; ++i) calls += kTimedScarica;
        return RunScript(build, pen, kPort, calls, boxes);
    }

    static constexpr const char* kTimedScarica =
        "t = Timer\r\no.Scarica\r\nWScript.Echo \"elapsed \" & CLng((Timer - t) * 1000)\r\n";

    e2e::Storage storage_;
    std::optional<e2e::DaoStandin> dao_;
    e2e::Folder temp_;
    std::filesystem::path dbUnix_;
};

class ReaderDownload : public ReaderDownloadBase, public testing::WithParamInterface<e2e::Storage> {
  protected:
    ReaderDownload() : ReaderDownloadBase(GetParam()) {}
};

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

// A statement the database rejects is the engine's error, shown with its number and description,
// whichever service stores the rows; a rejected row is never dropped in silence.
TEST_P(ReaderDownload, DatabaseErrorsShowTheEnginesNumberAndDescription) {
    Registered registered(kMurello11500);
    const std::string path = e2e::WindowsPath(dbUnix_);
    struct Case {
        const char* what;
        std::string sql;  // run before the download; "" removes the file
        std::string title;
        std::string text;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"duplicate key",
         "DROP TABLE Murello; CREATE TABLE Murello (Codart TEXT PRIMARY KEY, [id sottoOrd] "
         "INTEGER, IdLotto INTEGER, \"Quantit\xC3\xA0\" REAL)",
         "Errore n. 3022",
         "The changes you requested to the table were not successful because they would create "
         "duplicate values in the index, primary key, or relationship. Change the data in the "
         "field or fields that contain duplicate data, remove the index, or redefine the index to "
         "permit duplicate entries and try again.",
         {"'A1',1,1,1.0"}},
        {"missing table",
         "DROP TABLE Murello",
         "Errore n. 3078",
         "The Microsoft Jet database engine cannot find the input table or query 'Murello'.  "
         "Make sure it exists and that its name is spelled correctly.",
         {}},
        {"missing file", "", "Errore n. 3024", "Could not find file '" + path + "'.", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dbUnix_);
        Sql("CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, IdLotto INTEGER, "
            "\"Quantit\xC3\xA0\" REAL)");
        if (c.sql.empty()) {
            std::filesystem::remove(dbUnix_);
        } else {
            Sql(c.sql);
        }
        standins::SimulatedPen pen;
        pen.AddRecord("A1;1;1;1");
        pen.AddRecord("A1;2;2;2");
        pen.AddRecord("EMPTY");

        const e2e::ScenarioResult result = RunDownloads(kMurello11500, pen, 1, 1);

        ASSERT_EQ(result.dialogs.size(), 1u) << result.out << result.err;
        EXPECT_EQ(result.dialogs[0].title, c.title);
        EXPECT_EQ(result.dialogs[0].text, c.text);
        EXPECT_EQ(result.dialogs[0].icon_kind, "error");
        if (!c.sql.empty()) {
            EXPECT_EQ(Rows(), c.rows);
        }
    }
}

// What only the DAO engine shows: how the component calls it.
class ReaderDownloadAccessFile : public ReaderDownloadBase {
  protected:
    ReaderDownloadAccessFile() : ReaderDownloadBase(e2e::kAccessFile) {}
};

TEST_F(ReaderDownloadAccessFile, ValuesReachTheEngineTypedAndNeverInsideAStatement) {
    Registered registered(kMurello11500);
    standins::SimulatedPen pen;
    pen.AddRecord("O'Brien;2;3;2,75");
    pen.AddRecord("EMPTY");

    const e2e::ScenarioResult result = RunDownloads(kMurello11500, pen, 1, 0);

    EXPECT_TRUE(result.dialogs.empty());
    EXPECT_EQ(Rows(), std::vector<std::string>{"'O''Brien',2,3,2.75"});
    using Calls = std::vector<std::vector<std::string>>;
    EXPECT_EQ(
        dao_->Calls("CreateQueryDef"),
        (Calls{{"CreateQueryDef", "",
                "PARAMETERS p1 Text ( 255 ), p2 Long, p3 Long, p4 Double; Insert Into "
                "Murello (Codart,[id sottoOrd],IdLotto,Quantit\xC3\xA0) Select p1,p2,p3,p4"}}));
    EXPECT_EQ(dao_->Calls("Parameter"), (Calls{{"Parameter", "p1", "8", "O'Brien"},
                                               {"Parameter", "p2", "3", "2"},
                                               {"Parameter", "p3", "3", "3"},
                                               {"Parameter", "p4", "5", "2.75"}}));
    EXPECT_EQ(dao_->Calls("QueryDefExecute"), (Calls{{"QueryDefExecute", "128"}}));
    EXPECT_TRUE(dao_->Calls("Execute").empty());
}

// One engine object for the loaded component, whatever the number of calls; it is let go when
// the component unloads. (Wine's script hosts never release the class object they create
// objects with, so the component cannot unload under them: a client of ours drives it.)
TEST_F(ReaderDownloadAccessFile, OneEngineObjectPerLoadedComponentReleasedWhenItUnloads) {
    Registered registered(kMurello11500);
    standins::SimulatedPen pen;
    pen.AddRecord("A1;1;1;1");
    pen.AddRecord("EMPTY");
    pen.AddRecord("B1;2;2;2");
    pen.AddRecord("EMPTY");
    e2e::LinkComPort(kPort, pen.TerminalPath());
    pen.Start();
    e2e::Scenario scenario;
    scenario.command_line =
        e2e::QuoteIfNeeded(e2e::WindowsPath(e2e::TestingBinary("component_client.exe"))) + " " +
        kMurello11500.progId + " " + std::to_string(kPort) + " " + e2e::WindowsPath(dbUnix_) + " 2";
    scenario.env = {dao_->RecordVariable()};
    scenario.timeout = 60s;

    const e2e::ScenarioResult result = e2e::RunScenario(scenario);
    pen.Stop();

    EXPECT_TRUE(result.dialogs.empty());
    EXPECT_EQ(result.out, "UNLOADED C:\\Programmi\\Murello\\Murello11500.dll\n") << result.err;
    EXPECT_EQ(Rows(), (std::vector<std::string>{"'A1',1,1,1.0", "'B1',2,2,2.0"}));
    const std::vector<std::vector<std::string>> record = dao_->Calls();
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(record.front(), (std::vector<std::string>{"EngineCreated", "36"}));
    EXPECT_EQ(dao_->Calls("EngineCreated").size(), 1u);
    EXPECT_EQ(dao_->Calls("OpenDatabase").size(), 2u);
    EXPECT_EQ(dao_->Calls("DatabaseClose").size(), 2u);
    EXPECT_EQ(record.back(), (std::vector<std::string>{"EngineReleased", "36"}));
}

// ".mdb" files fall back to the newer engine; with no engine at all the box shows 429.
TEST_F(ReaderDownloadAccessFile, WithoutTheOlderEngineTheNewerOneServesAndWithoutAnyItIs429) {
    Registered registered(kMurello11500);
    e2e::DaoStandin::Unregister("DAO.DBEngine.36");
    standins::SimulatedPen pen;
    pen.AddRecord("A1;1;1;1");
    pen.AddRecord("EMPTY");
    RunDownloads(kMurello11500, pen, 1, 0);
    EXPECT_EQ(dao_->Calls("EngineCreated"),
              (std::vector<std::vector<std::string>>{{"EngineCreated", "120"}}));
    e2e::DaoStandin::Unregister("DAO.DBEngine.120");
    standins::SimulatedPen second;
    second.AddRecord("B1;2;2;2");
    second.AddRecord("EMPTY");

    const e2e::ScenarioResult result = RunDownloads(kMurello11500, second, 1, 1);

    ASSERT_EQ(result.dialogs.size(), 1u) << result.out << result.err;
    EXPECT_EQ(result.dialogs[0].title, "Errore n. 429");
    EXPECT_EQ(result.dialogs[0].text, "ActiveX component can't create object");
    EXPECT_EQ(Rows(), std::vector<std::string>{"'A1',1,1,1.0"});
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
