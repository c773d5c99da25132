// The DAO engine's database service against the stand-in engine (registered by the end-to-end
// test that runs this program under Wine): typed values as parameters, appends by column name,
// transactions, the engine's errors, and which engine object serves which file.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "core/text_encoding.h"
#include "database_contract.h"
#include "platform/database/win32_component_engine.h"
#include "platform/database/win32_dao_database.h"

namespace reader {
namespace {

using Calls = std::vector<std::vector<std::string>>;

const std::wstring kInsert =
    L"Insert Into Murello (Codart,[id sottoOrd],IdLotto,Quantit\u00e0) Select ?,?,?,?";

class ComApartment : public testing::Environment {
  public:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
};
const auto* const kApartment = testing::AddGlobalTestEnvironment(new ComApartment);

INSTANTIATE_TEST_SUITE_P(
    Engine, DatabaseContract,
    testing::Values(DatabaseBench{"Dao", [] { return std::make_unique<DaoEngine>(); }, ".mdb"}),
    [](const testing::TestParamInfo<DatabaseBench>& info) { return std::string(info.param.name); });

class DaoEngineTest : public testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ =
            std::filesystem::path(temp) / ("dao_contract_" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
        record_ = folder_ / "calls.txt";
        std::filesystem::remove(record_);
        SetEnvironmentVariableW(L"LANVIK_DAO_RECORD", record_.wstring().c_str());
        mdb_ = MakeFile("app.mdb");
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"LANVIK_DAO_RECORD", nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // A ".mdb" (or ".accdb") file for the stand-in: a SQLite database with the reader's table.
    std::wstring MakeFile(const std::string& name) {
        const std::filesystem::path path = folder_ / name;
        std::filesystem::remove(path);
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.string().c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db,
                               "CREATE TABLE Murello (Codart TEXT NOT NULL PRIMARY KEY, "
                               "[id sottoOrd] INTEGER, IdLotto INTEGER, \"Quantit\xC3\xA0\" REAL, "
                               "Data TEXT)",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        return path.wstring();
    }

    std::vector<std::string> Rows(const std::wstring& file) {
        std::vector<std::string> rows;
        sqlite3* db = nullptr;
        sqlite3_open_v2(ToUtf8(file).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT quote(Codart)||','||quote([id sottoOrd])||','||quote(IdLotto)"
                           "||','||quote(\"Quantit\xC3\xA0\")||','||quote(Data) FROM Murello "
                           "ORDER BY rowid",
                           -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }

    // The stand-in's record, split into fields, with its escapes undone.
    Calls Recorded(const std::string& only = {}) {
        Calls calls;
        std::ifstream in(record_);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::vector<std::string> fields;
            std::stringstream split(line);
            std::string field;
            while (std::getline(split, field, '\t')) {
                std::string plain;
                for (std::size_t i = 0; i < field.size(); ++i) {
                    if (field[i] == '\\' && i + 1 < field.size()) {
                        const char next = field[++i];
                        plain += next == 't'   ? '\t'
                                 : next == 'r' ? '\r'
                                 : next == 'n' ? '\n'
                                               : next;
                    } else {
                        plain += field[i];
                    }
                }
                fields.push_back(plain);
            }
            if (only.empty() || (!fields.empty() && fields[0] == only)) calls.push_back(fields);
        }
        return calls;
    }

    std::filesystem::path folder_;
    std::filesystem::path record_;
    std::wstring mdb_;
};

RaisedError ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RaisedError& error) {
        return error;
    }
    return {0, L""};
}

TEST_F(DaoEngineTest, TypedValuesArriveAsParametersAndNoValueIsInAnySqlText) {
    DaoEngine engine;
    {
        auto db = engine.OpenDatabase(mdb_);
        const Value values[] = {std::wstring(L"O'Brien \"x\""), std::int32_t{12}, std::int32_t{-7},
                                2.75};
        db->Execute(kInsert, values);
        db->Execute(L"Update Murello Set Data = ? Where Codart = ?",
                    std::vector<Value>{Date{2024, 3, 15}, std::wstring(L"O'Brien \"x\"")});
    }
    EXPECT_EQ(Rows(mdb_), std::vector<std::string>{"'O''Brien \"x\"',12,-7,2.75,'2024-03-15'"});
    EXPECT_EQ(Recorded("Parameter"), (Calls{{"Parameter", "p1", "8", "O'Brien \"x\""},
                                            {"Parameter", "p2", "3", "12"},
                                            {"Parameter", "p3", "3", "-7"},
                                            {"Parameter", "p4", "5", "2.75"},
                                            {"Parameter", "p1", "7", "2024-03-15"},
                                            {"Parameter", "p2", "8", "O'Brien \"x\""}}));
    EXPECT_EQ(Recorded("CreateQueryDef"),
              (Calls{{"CreateQueryDef", "",
                      "PARAMETERS p1 Text ( 255 ), p2 Long, p3 Long, p4 Double; Insert Into "
                      "Murello (Codart,[id sottoOrd],IdLotto,Quantit\xC3\xA0) Select p1,p2,p3,p4"},
                     {"CreateQueryDef", "",
                      "PARAMETERS p1 DateTime, p2 Text ( 255 ); Update Murello Set Data = p1 "
                      "Where Codart = p2"}}));
    EXPECT_EQ(Recorded("QueryDefExecute"),
              (Calls{{"QueryDefExecute", "128"}, {"QueryDefExecute", "128"}}));
    EXPECT_EQ(Recorded("QueryDefClose").size(), 2u);
    EXPECT_EQ(Recorded("DatabaseClose").size(), 1u);
}

TEST_F(DaoEngineTest, RowsAppendByColumnNameThroughOneAppendOnlyRecordset) {
    DaoEngine engine;
    {
        auto db = engine.OpenDatabase(mdb_);
        for (const wchar_t* code : {L"A12", L"B'7"}) {
            const NamedValue row[] = {{L"Codart", std::wstring(code)},
                                      {L"Quantit\u00e0", std::wstring(L"5")},
                                      {L"Data", Date{2024, 1, 2}},
                                      {L"IdLotto", std::int32_t{0}}};
            db->AppendRow(L"murello", row);
        }
    }
    EXPECT_EQ(Rows(mdb_), (std::vector<std::string>{"'A12',NULL,0,5.0,'2024-01-02'",
                                                    "'B''7',NULL,0,5.0,'2024-01-02'"}));
    EXPECT_EQ(Recorded("OpenRecordset"),
              (Calls{{"OpenRecordset", "Select * from murello", "-", "8"}}));
    EXPECT_EQ(Recorded("AddNew").size(), 2u);
    EXPECT_EQ(Recorded("Update").size(), 2u);
    EXPECT_EQ(Recorded("RecordsetClose").size(), 1u);
}

// Beyond the contract (database_contract_test.cpp, which this engine passes too): the engine's
// own errors for a missing file and a value its column cannot take keep their numbers and texts.
TEST_F(DaoEngineTest, EngineErrorsKeepTheirNumbersAndDescriptions) {
    DaoEngine engine;
    const std::wstring missingFile = (folder_ / "nessuno.mdb").wstring();
    RaisedError error = ErrorOf([&] { engine.OpenDatabase(missingFile); });
    EXPECT_EQ(error.number, 3024);
    EXPECT_EQ(error.description, L"Could not find file '" + missingFile + L"'.");
    auto db = engine.OpenDatabase(mdb_);
    const NamedValue row[] = {{L"Codart", std::wstring(L"C")},
                              {L"Quantit\u00e0", std::wstring(L"tre")}};
    error = ErrorOf([&] { db->AppendRow(L"Murello", row); });
    EXPECT_EQ(error.number, 3421);
    EXPECT_EQ(error.description, L"Data type conversion error.");
    db.reset();
    EXPECT_TRUE(Rows(mdb_).empty());
}

// Replaces a ProgID's registration for the life of the object, as on a machine without it.
class ProgIdHidden {
  public:
    explicit ProgIdHidden(const wchar_t* progId) : progId_(progId) {
        wchar_t clsid[64] = {};
        DWORD size = sizeof clsid;
        RegGetValueW(HKEY_CLASSES_ROOT, (progId_ + L"\\CLSID").c_str(), nullptr, RRF_RT_REG_SZ,
                     nullptr, clsid, &size);
        clsid_ = clsid;
        RegDeleteTreeW(HKEY_CLASSES_ROOT, progId);
    }
    ~ProgIdHidden() {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, (progId_ + L"\\CLSID").c_str(), nullptr, REG_SZ,
                        clsid_.c_str(), static_cast<DWORD>((clsid_.size() + 1) * sizeof(wchar_t)));
    }

  private:
    std::wstring progId_;
    std::wstring clsid_;
};

TEST_F(DaoEngineTest, OneEngineObjectPerKindMadeOnFirstUseAndReleasedOnRequest) {
    const std::wstring accdb = MakeFile("app.accdb");
    {
        DaoEngine engine;
        EXPECT_TRUE(Recorded().empty());
        engine.OpenDatabase(mdb_);
        engine.OpenDatabase(mdb_);
        engine.OpenDatabase(accdb);
        // The 3.6 engine opens ".mde" files too (this one does not exist).
        EXPECT_EQ(ErrorOf([&] { engine.OpenDatabase(L"C:\\X.MDE"); }).number, 3024);
    }
    EXPECT_EQ(Recorded("EngineCreated"),
              (Calls{{"EngineCreated", "36"}, {"EngineCreated", "120"}}));
    EXPECT_EQ(Recorded("EngineReleased"),
              (Calls{{"EngineReleased", "36"}, {"EngineReleased", "120"}}));
}

TEST_F(DaoEngineTest, MdbFilesFallBackToTheNewerEngineAndNoEngineIs429) {
    DaoEngine engine;
    {
        ProgIdHidden no36(L"DAO.DBEngine.36");
        engine.OpenDatabase(mdb_)->Execute(kInsert,
                                           std::vector<Value>{std::wstring(L"N"), 1, 1, 1.0});
        EXPECT_EQ(Recorded("EngineCreated"), (Calls{{"EngineCreated", "120"}}));
        engine.ReleaseEngines();
        EXPECT_EQ(Recorded("EngineReleased"), (Calls{{"EngineReleased", "120"}}));
        ProgIdHidden no120(L"DAO.DBEngine.120");
        for (const std::wstring& path : {mdb_, std::wstring(L"C:\\app.accdb")}) {
            const RaisedError error = ErrorOf([&] { engine.OpenDatabase(path); });
            EXPECT_EQ(error.number, 429);
            EXPECT_EQ(error.description, L"ActiveX component can't create object");
        }
    }
    EXPECT_EQ(Rows(mdb_), std::vector<std::string>{"'N',1,1,1.0,NULL"});
}

TEST_F(DaoEngineTest, TheComponentsEngineSendsAccessFilesToDaoAndLetsGoOfItWhenAsked) {
    const std::shared_ptr<DatabaseEngine> engine = ComponentDatabaseEngine();
    engine->OpenDatabase(mdb_);
    engine->OpenDatabase(mdb_);
    ReleaseComponentEngines();
    const std::filesystem::path copy = folder_ / "other.db";
    std::filesystem::copy_file(mdb_, copy);
    engine->OpenDatabase(copy.wstring())
        ->Execute(kInsert, std::vector<Value>{std::wstring(L"S"), 1, 1, 1.0});
    EXPECT_EQ(Rows(copy.wstring()), std::vector<std::string>{"'S',1,1,1.0,NULL"});
    EXPECT_EQ(Recorded(), (Calls{{"EngineCreated", "36"},
                                 {"OpenDatabase", ToUtf8(mdb_)},
                                 {"DatabaseClose"},
                                 {"OpenDatabase", ToUtf8(mdb_)},
                                 {"DatabaseClose"},
                                 {"EngineReleased", "36"}}));
}

}  // namespace
}  // namespace reader
