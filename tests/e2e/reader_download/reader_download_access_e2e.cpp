// The pen download into an Access file: the engine's errors reach the user's box with the
// engine's number and description (over both storages), and what only the DAO engine shows: how
// the component calls it, how long its engine object lives, and what happens without one.
#include <string>
#include <vector>

#include "reader_download_fixture.h"

namespace reader_download_e2e {
namespace {

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
        if (!c.rows.empty()) {  // else there is no table, or no file, to read
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

}  // namespace
}  // namespace reader_download_e2e
