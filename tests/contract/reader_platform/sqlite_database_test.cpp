// The SQLite engine with the Access engine's error numbers: natively against the system library,
// and in the Windows build (run under Wine) against the amalgamation compiled into the reader.
#include "platform/database/sqlite_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "core/text_encoding.h"
#include "database_contract.h"

namespace reader {
namespace {

class SqliteEngineTest : public testing::Test {
  protected:
    void SetUp() override {
        static int made = 0;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() /
            ("reader_sqlite_" + std::to_string(stamp) + "_" + std::to_string(++made));
        ASSERT_TRUE(std::filesystem::create_directory(folder));
        folder_ = folder.string();
        path_ = folder_ + "/app.db";
        Sql("CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, IdLotto INTEGER, "
            "\"Quantit\xC3\xA0\" REAL, \"Qt\xC3\xA0\" INTEGER, Data TEXT);"
            "CREATE TABLE Strict (Id INTEGER PRIMARY KEY, Nome TEXT NOT NULL "
            "CHECK (length(Nome) <= 5), Numero INTEGER) STRICT;");
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void Sql(const std::string& statement) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    std::string Query(const std::string& select) {
        sqlite3* db = nullptr;
        sqlite3_open(path_.c_str(), &db);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, select.c_str(), -1, &statement, nullptr);
        std::string result;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            if (!result.empty()) result += "\n";
            result += reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return result;
    }

    std::wstring Path() const { return FromUtf8(path_); }

    std::string folder_;
    std::string path_;
};

RaisedError ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RaisedError& e) {
        return e;
    }
    return {0, L""};
}

TEST_F(SqliteEngineTest, BindsTypedValuesAndStoresTextAsUtf8) {
    SqliteEngine engine(0);
    auto db = engine.OpenDatabase(Path());
    const Value values[] = {FromWindows1252("Caff\xE8 'x'"),
                            std::int32_t{-7},
                            std::monostate{},
                            2.75,
                            std::int32_t{3},
                            Date{2024, 3, 5}};
    db->Execute(
        L"Insert Into Murello (Codart,[id sottoOrd],IdLotto,Quantit\u00e0,Qt\u00e0,Data) "
        L"Select ?,?,?,?,?,?",
        values);
    EXPECT_EQ(Query("SELECT quote(Codart)||'|'||[id sottoOrd]||'|'||typeof(IdLotto)||'|'||"
                    "quote(\"Quantit\xC3\xA0\")||'|'||quote(\"Qt\xC3\xA0\")||'|'||quote(Data) "
                    "FROM Murello"),
              "'Caff\xC3\xA8 ''x'''|-7|null|2.75|3|'2024-03-05'");
}

// Each commit reuses one journal file while the connection lasts; none is left behind, and a
// database its owner put in WAL mode stays in it.
TEST_F(SqliteEngineTest, TheJournalFileLastsOnlyAsLongAsTheConnection) {
    SqliteEngine engine(0);
    const Value value[] = {std::wstring(L"a")};
    const std::wstring insert = L"Insert Into Murello (Codart) Select ?";
    auto db = engine.OpenDatabase(Path());
    db->Execute(insert, value);
    db->Execute(insert, value);
    EXPECT_TRUE(std::filesystem::exists(path_ + "-journal"));
    db.reset();
    EXPECT_FALSE(std::filesystem::exists(path_ + "-journal"));
    EXPECT_EQ(Query("SELECT count(*) FROM Murello"), "2");

    EXPECT_EQ(Query("PRAGMA journal_mode=WAL"), "wal");
    db = engine.OpenDatabase(Path());
    db->Execute(insert, value);
    db.reset();
    EXPECT_EQ(Query("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(Query("SELECT count(*) FROM Murello"), "3");
}

TEST_F(SqliteEngineTest, OpeningNeverCreatesADatabase) {
    SqliteEngine engine(0);
    const std::string missing = folder_ + "/nessuno.db";
    RaisedError e = ErrorOf([&] { engine.OpenDatabase(FromUtf8(missing)); });
    EXPECT_EQ(e.number, 3024);
    EXPECT_EQ(e.description, L"Could not find file '" + FromUtf8(missing) + L"'.");
    EXPECT_FALSE(std::filesystem::exists(missing));

    e = ErrorOf([&] { engine.OpenDatabase(FromUtf8(folder_ + "/no/such/folder/x.db")); });
    EXPECT_EQ(e.number, 3024);

    const std::string text = folder_ + "/letture.txt";
    std::ofstream(text) << "A1;12;7;3\r\nthis is no database at all, just some text lines\r\n";
    e = ErrorOf([&] { engine.OpenDatabase(FromUtf8(text)); });
    EXPECT_EQ(e.number, 3343);
    EXPECT_EQ(e.description, L"Unrecognized database format '" + FromUtf8(text) + L"'.");
}

TEST_F(SqliteEngineTest, StatementErrorsUseTheAccessEngineNumbers) {
    struct Case {
        const char* name;
        std::wstring statement;
        std::vector<Value> values;
        std::int32_t number;
        std::wstring description;
    } cases[] = {
        {"missing table",
         L"Insert Into Murelo (Codart) Select ?",
         {std::wstring(L"a")},
         3078,
         L"The Microsoft Jet database engine cannot find the input table or query 'Murelo'.  "
         L"Make sure it exists and that its name is spelled correctly."},
        {"missing field",
         L"Insert Into Murello (Codart,Quantita) Select ?,?",
         {std::wstring(L"a"), 1.0},
         3127,
         L"The INSERT INTO statement contains the following unknown field name: 'Quantita'.  "
         L"Make sure you have typed the name correctly, and try the operation again."},
        {"unknown name in the values",
         L"Insert Into Murello (Codart) Select Pippo",
         {},
         3061,
         L"Too few parameters. Expected 1."},
        {"duplicate key",
         L"Insert Into Strict (Id,Nome) Select 1,'a' Union All Select 1,'b'",
         {},
         3022,
         L"The changes you requested to the table were not successful because they would create "
         L"duplicate values in the index, primary key, or relationship. Change the data in the "
         L"field or fields that contain duplicate data, remove the index, or redefine the index "
         L"to permit duplicate entries and try again."},
        {"required field",
         L"Insert Into Strict (Id,Nome) Select 1,?",
         {std::monostate{}},
         3314,
         L"The field 'Strict.Nome' cannot contain a Null value because the Required property for "
         L"this field is set to True.  Enter a value in this field."},
        {"text too long",
         L"Insert Into Strict (Id,Nome) Select 1,?",
         {std::wstring(L"troppo lungo")},
         3163,
         L"The field is too small to accept the amount of data you attempted to add. Try "
         L"inserting or pasting less data."},
        {"wrong type",
         L"Insert Into Strict (Id,Nome,Numero) Select 1,'a',?",
         {std::wstring(L"dieci")},
         3464,
         L"Data type mismatch in criteria expression."},
    };
    SqliteEngine engine(0);
    auto db = engine.OpenDatabase(Path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RaisedError e = ErrorOf([&] { db->Execute(c.statement, c.values); });
        EXPECT_EQ(e.number, c.number);
        EXPECT_EQ(e.description, c.description);
    }
    EXPECT_EQ(Query("SELECT count(*) FROM Strict"), "0");
}

TEST_F(SqliteEngineTest, LockedAndReadOnlyFiles) {
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    SqliteEngine engine(0);
    RaisedError e = ErrorOf([&] {
        auto db = engine.OpenDatabase(Path());
        db->Execute(L"Insert Into Murello (Codart) Select 'a'", {});
    });
    EXPECT_EQ(e.number, 3218);
    EXPECT_EQ(e.description, L"Could not update; currently locked.");
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);

    // Locked while a statement runs, then free again: the same statement, run again with its
    // next value, stores it.
    auto db = engine.OpenDatabase(Path());
    const std::wstring insert = L"Insert Into Murello (Codart) Select ?";
    const Value first[] = {std::wstring(L"a")}, second[] = {std::wstring(L"b")};
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    e = ErrorOf([&] { db->Execute(insert, first); });
    EXPECT_EQ(e.number, 3218);
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    db->Execute(insert, second);
    EXPECT_EQ(Query("SELECT group_concat(Codart) FROM Murello"), "b");

    // This runs as root here, so file permissions cannot make the file read-only.
    e = TranslateSqliteError(SQLITE_READONLY, "attempt to write a readonly database", Path());
    EXPECT_EQ(e.number, 3027);
    EXPECT_EQ(e.description, L"Cannot update. Database or object is read-only.");
    e = TranslateSqliteError(SQLITE_ERROR, "near \"Selec\": syntax error", Path());
    EXPECT_EQ(e.number, 3000);
    EXPECT_EQ(e.description, L"near \"Selec\": syntax error");
}

INSTANTIATE_TEST_SUITE_P(Engine, DatabaseContract,
                         testing::Values(DatabaseBench{
                             "Sqlite", [] { return std::make_unique<SqliteEngine>(0); }, ".db"}),
                         [](const testing::TestParamInfo<DatabaseBench>& info) {
                             return std::string(info.param.name);
                         });

// Beyond the contract (database_contract_test.cpp): what only SQLite refuses, a strict table's
// column type.
TEST_F(SqliteEngineTest, AppendRowOfAValueItsStrictColumnRefuses) {
    SqliteEngine engine(0);
    auto db = engine.OpenDatabase(Path());
    const NamedValue row[] = {
        {L"Id", std::int32_t{1}}, {L"Nome", std::wstring(L"a")}, {L"Numero", 2.5}};
    const RaisedError e = ErrorOf([&] { db->AppendRow(L"Strict", row); });
    EXPECT_EQ(e.number, 3464);
    EXPECT_EQ(e.description, L"Data type mismatch in criteria expression.");
    EXPECT_EQ(Query("SELECT count(*) FROM Strict"), "0");
}

// A text given for a numeric column becomes its number by the Italian rules, as the Access
// engine's record set converts it; a text that is no number stores nothing of its row.
TEST(EngineByFileName, AccessFilesNeedTheAccessEngine) {
    for (const wchar_t* name : {L"C:\\a.mdb", L"C:\\A.MDB", L"x.mde", L"x.Accdb"}) {
        SCOPED_TRACE(ToUtf8(name));
        EXPECT_TRUE(IsAccessFileName(name));
    }
    for (const wchar_t* name : {L"C:\\a.db", L"a.mdb.db", L"a.sqlite", L"mdb", L"a.accd"}) {
        SCOPED_TRACE(ToUtf8(name));
        EXPECT_FALSE(IsAccessFileName(name));
    }
    EngineByFileName engine(nullptr, std::make_unique<SqliteEngine>(0));
    RaisedError e = ErrorOf([&] { engine.OpenDatabase(L"C:\\dati\\app.mdb"); });
    EXPECT_EQ(e.number, 3170);
    EXPECT_EQ(e.description, L"Could not find installable ISAM.");
    e = ErrorOf([&] { engine.OpenDatabase(L"/nonexistent/app.db"); });
    EXPECT_EQ(e.number, 3024);
}

}  // namespace
}  // namespace reader
