// Given the stand-in DAO engine registered in the prefix and a ".mdb" file (a SQLite database for
// the stand-in), a VBScript that calls the members the reader calls stores typed rows, sees the
// engine's numbers and descriptions, and leaves a record of every call.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "e2e/dao_standin.h"
#include "e2e/harness.h"
#include "e2e/sqlite_file.h"

namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::vector<std::string>>;

class DaoStandinScript : public testing::Test {
  protected:
    void SetUp() override {
        temp_ = e2e::TempFolder();
        db_ = temp_.unix / "stock.mdb";
        std::filesystem::remove(db_);
        e2e::SqlExec(db_,
                     "CREATE TABLE Murello (Codart TEXT NOT NULL PRIMARY KEY, [id sottoOrd] "
                     "INTEGER, Quantit\xC3\xA0 REAL, Data TEXT)");
    }
    void TearDown() override { std::filesystem::remove(db_); }

    // Runs the script (Windows-1252 text) with the database's path in `db`.
    e2e::ProcessResult Run(const std::string& body) {
        const std::string script = "db = \"" + e2e::WindowsPath(db_) + "\"\r\n" + body;
        e2e::WriteFile(temp_.unix / "dao.vbs", script);
        e2e::ProcessOptions options;
        options.timeout = 60s;
        options.env = {standin_.RecordVariable()};
        return e2e::RunWine({"cscript.exe", "//nologo", temp_.windows + "\\dao.vbs"}, options);
    }

    std::vector<std::string> Rows() {
        return e2e::SqlRows(db_,
                            "SELECT quote(Codart)||','||quote([id sottoOrd])||','||"
                            "quote(Quantit\xC3\xA0)||','||quote(Data) FROM Murello ORDER BY rowid");
    }

    e2e::DaoStandin standin_;
    e2e::Folder temp_;
    std::filesystem::path db_;
};

TEST_F(DaoStandinScript, StoresTypedRowsThroughParameterQueriesAndTheAppendOnlyRecordset) {
    const e2e::ProcessResult result =
        Run("Set e = CreateObject(\"DAO.DBEngine.36\")\r\n"
            "Set d = e.OpenDatabase(db)\r\n"
            "Set q = d.CreateQueryDef(\"\", \"PARAMETERS p1 Text ( 255 ), p2 Long, p3 Double, "
            "p4 DateTime; Insert Into Murello (Codart,[id sottoOrd],Quantit\xE0,Data) "
            "Select p1,p2,p3,p4\")\r\n"
            "q.Parameters(\"p1\") = \"O'Brien\"\r\n"
            "q.Parameters(\"p2\").Value = 7\r\n"
            "q.Parameters(\"P3\") = 2.5\r\n"
            "q.Parameters(3).Value = DateSerial(2024, 3, 15)\r\n"
            "q.Execute 128\r\n"
            "q.Close\r\n"
            "Set r = d.OpenRecordset(\"Select * from murello\", 2, 8)\r\n"
            "r.AddNew\r\n"
            "r.Fields(\"Codart\").Value = \"R1\"\r\n"
            "r.Fields(\"Quantit\xE0\") = \"2,75\"\r\n"
            "r.Update\r\n"
            "r.Close\r\n"
            "e.Workspaces(0).BeginTrans\r\n"
            "d.Execute \"Insert Into Murello (Codart) Select 'T1'\", 128\r\n"
            "e.Workspaces(0).Rollback\r\n"
            "Set w = e.Workspaces(0)\r\n"
            "w.BeginTrans\r\n"
            "d.Execute \"Insert Into Murello (Codart) Select 'T2'\", 128\r\n"
            "w.CommitTrans\r\n"
            "d.Close\r\n"
            "WScript.Echo \"done\"\r\n");

    ASSERT_FALSE(result.timed_out);
    EXPECT_EQ(result.out, "done\r\n") << result.err;
    // The text "2,75" is read by the locale (en-US in the tests), as the real engine reads it.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"'O''Brien',7,2.5,'2024-03-15'",
                                                "'R1',NULL,275.0,NULL", "'T2',NULL,NULL,NULL"}));
    EXPECT_EQ(standin_.Calls("Parameter"), (Calls{{"Parameter", "p1", "8", "O'Brien"},
                                                  {"Parameter", "p2", "2", "7"},
                                                  {"Parameter", "p3", "5", "2.5"},
                                                  {"Parameter", "p4", "7", "2024-03-15"}}));
    EXPECT_EQ(standin_.Calls("OpenRecordset"),
              (Calls{{"OpenRecordset", "Select * from murello", "2", "8"}}));
    EXPECT_EQ(standin_.Calls("Field"),
              (Calls{{"Field", "Codart", "8", "R1"}, {"Field", "Quantit\xC3\xA0", "8", "2,75"}}));
    const Calls calls = standin_.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), (std::vector<std::string>{"EngineCreated", "36"}));
    EXPECT_EQ(calls.back(), (std::vector<std::string>{"EngineReleased", "36"}));
}

TEST_F(DaoStandinScript, RaisesTheEnginesNumbersAndDescriptions) {
    const e2e::ProcessResult result =
        Run("On Error Resume Next\r\n"
            "Set e = CreateObject(\"DAO.DBEngine.120\")\r\n"
            "Sub Report(what)\r\n"
            "  WScript.Echo what & \"|\" & Err.Number & \"|\" & Err.Description\r\n"
            "  Err.Clear\r\n"
            "End Sub\r\n"
            "Set x = e.OpenDatabase(\"C:\\nowhere\\missing.mdb\")\r\n"
            "Report \"file\"\r\n"
            "Set d = e.OpenDatabase(db)\r\n"
            "d.Execute \"Insert Into Nessuna (Codart) Select 'x'\", 128\r\n"
            "Report \"table\"\r\n"
            "Set r = d.OpenRecordset(\"Select * from murello\", 2, 8)\r\n"
            "r.AddNew\r\n"
            "r.Fields(\"Nessuno\").Value = 1\r\n"
            "Report \"field\"\r\n"
            "r.Fields(\"Quantit\xE0\").Value = \"tre\"\r\n"
            "Report \"conversion\"\r\n"
            "r.Update\r\n"
            "Report \"required\"\r\n"
            "d.Execute \"Insert Into Murello (Codart) Select 'K'\", 128\r\n"
            "d.Execute \"Insert Into Murello (Codart) Select 'K'\"\r\n"
            "Report \"duplicate without fail-on-error\"\r\n"
            "d.Execute \"Insert Into Murello (Codart) Select 'K'\", 128\r\n"
            "Report \"duplicate\"\r\n");

    ASSERT_FALSE(result.timed_out);
    EXPECT_EQ(result.out,
              "file|3024|Could not find file 'C:\\nowhere\\missing.mdb'.\r\n"
              "table|3078|The Microsoft Jet database engine cannot find the input table or query "
              "'Nessuna'.  Make sure it exists and that its name is spelled correctly.\r\n"
              "field|3265|Item not found in this collection.\r\n"
              "conversion|3421|Data type conversion error.\r\n"
              "required|3314|The field 'Murello.Codart' cannot contain a Null value because the "
              "Required property for this field is set to True.  Enter a value in this field.\r\n"
              "duplicate without fail-on-error|0|\r\n"
              "duplicate|3022|The changes you requested to the table were not successful because "
              "they would create duplicate values in the index, primary key, or relationship. "
              "Change the data in the field or fields that contain duplicate data, remove the "
              "index, or redefine the index to permit duplicate entries and try again.\r\n")
        << result.err;
    EXPECT_EQ(Rows(), std::vector<std::string>{"'K',NULL,NULL,NULL"});
}

}  // namespace

namespace {

// The reader's DAO database service (tests/contract/dao_database) against the stand-in.
TEST(DaoDatabaseUnderWine, TheServicePassesItsSuiteAgainstTheStandInEngine) {
    e2e::DaoStandin standin;
    e2e::ProcessOptions options;
    options.timeout = 120s;
    const e2e::ProcessResult result = e2e::RunWine(
        {e2e::TestingBinary("dao_database_contract.exe").string(), "--gtest_color=no"}, options);
    ASSERT_FALSE(result.timed_out) << result.out << result.err;
    EXPECT_EQ(0, result.exit_code) << result.out << result.err;
    EXPECT_NE(std::string::npos, result.out.find("[  PASSED  ] 10 tests")) << result.out;
}

}  // namespace
