#include "database_contract.h"

#include <sqlite3.h>

#include <chrono>
#include <filesystem>

#include "core/text_encoding.h"

namespace reader {

void DatabaseContract::SetUp() {
    static int made = 0;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("reader_database_" + std::to_string(stamp) + "_" + std::to_string(++made));
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    folder_ = folder.string();
    path_ = folder_ + "/app" + GetParam().extension;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, "
                           "IdLotto INTEGER, \"Quantit\xC3\xA0\" REAL, Data DATE);"
                           "CREATE TABLE Chiavi (Codice TEXT PRIMARY KEY, Nome TEXT NOT NULL);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

void DatabaseContract::TearDown() { std::filesystem::remove_all(folder_); }

std::wstring DatabaseContract::Path() const { return FromUtf8(path_); }

std::string DatabaseContract::Query(const std::string& select) const {
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

namespace {

RaisedError ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RaisedError& e) {
        return e;
    }
    return {0, L""};
}

const std::wstring kDuplicate =
    L"The changes you requested to the table were not successful because they would create "
    L"duplicate values in the index, primary key, or relationship. Change the data in the field "
    L"or fields that contain duplicate data, remove the index, or redefine the index to permit "
    L"duplicate entries and try again.";

TEST_P(DatabaseContract, StatementsTakeTypedValuesAndEveryRejectedRowIsAnError) {
    auto engine = GetParam().makeEngine();
    auto db = engine->OpenDatabase(Path());
    const Value values[] = {FromWindows1252("O'Caff\xE8 \"x\""), std::int32_t{-7}, std::monostate{},
                            2.75, Date{2024, 3, 15}};
    db->Execute(
        L"Insert Into Murello (Codart,[id sottoOrd],IdLotto,Quantit\u00e0,Data) "
        L"Select ?,?,?,?,?",
        values);
    EXPECT_EQ(Query("SELECT quote(Codart)||'|'||quote([id sottoOrd])||'|'||quote(IdLotto)||'|'||"
                    "quote(\"Quantit\xC3\xA0\")||'|'||quote(Data) FROM Murello"),
              "'O''Caff\xC3\xA8 \"x\"'|-7|NULL|2.75|'2024-03-15'");

    const std::wstring insert = L"Insert Into Chiavi (Codice, Nome) Select ?, ?";
    db->Execute(insert, std::vector<Value>{std::wstring(L"K1"), std::wstring(L"uno")});
    struct Case {
        const char* name;
        std::function<void()> action;
        std::int32_t number;
        std::wstring description;
    } cases[] = {
        {"a duplicate key, with values",
         [&] {
             db->Execute(insert, std::vector<Value>{std::wstring(L"K1"), std::wstring(L"x")});
         },
         3022, kDuplicate},
        {"a duplicate key, without values",
         [&] { db->Execute(L"Insert Into Chiavi (Codice, Nome) Select 'K1', 'y'", {}); }, 3022,
         kDuplicate},
        {"a required field",
         [&] {
             db->Execute(insert, std::vector<Value>{std::wstring(L"K2"), std::monostate{}});
         },
         3314,
         L"The field 'Chiavi.Nome' cannot contain a Null value because the Required property for "
         L"this field is set to True.  Enter a value in this field."},
        {"no such table",
         [&] { db->Execute(L"Insert Into Nessuna (A) Select ?", std::vector<Value>{1}); }, 3078,
         L"The Microsoft Jet database engine cannot find the input table or query 'Nessuna'.  "
         L"Make sure it exists and that its name is spelled correctly."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RaisedError e = ErrorOf(c.action);
        EXPECT_EQ(e.number, c.number);
        EXPECT_EQ(e.description, c.description);
    }
    EXPECT_EQ(Query("SELECT group_concat(Codice || '=' || Nome) FROM Chiavi"), "K1=uno");
}

TEST_P(DatabaseContract, AppendRowStoresTypedValuesByColumnName) {
    auto engine = GetParam().makeEngine();
    auto db = engine->OpenDatabase(Path());
    const NamedValue row[] = {{L"codart", FromWindows1252("Caff\xE8")},
                              {L"id sottoOrd", std::int32_t{12}},
                              {L"IdLotto", std::monostate{}},
                              {L"Quantit\u00e0", 2.5},
                              {L"Data", Date{2024, 3, 5}}};
    db->AppendRow(L"Murello", row);
    db->AppendRow(L"murello", {});  // every field left at its default
    EXPECT_EQ(Query("SELECT quote(Codart)||'|'||quote([id sottoOrd])||'|'||quote(IdLotto)||'|'||"
                    "quote(\"Quantit\xC3\xA0\")||'|'||quote(Data) FROM Murello ORDER BY rowid"),
              "'Caff\xC3\xA8'|12|NULL|2.5|'2024-03-05'\nNULL|NULL|NULL|NULL|NULL");

    struct Case {
        const char* name;
        std::wstring table;
        std::vector<NamedValue> values;
        std::int32_t number;
        std::wstring description;
    } cases[] = {
        {"a column the table lacks",
         L"Murello",
         {{L"Codart", std::wstring(L"B2")}, {L"Pippo", std::int32_t{1}}},
         3265,
         L"Item not found in this collection."},
        {"no such table",
         L"Murelo",
         {{L"Codart", std::wstring(L"B2")}},
         3078,
         L"The Microsoft Jet database engine cannot find the input table or query 'Murelo'.  "
         L"Make sure it exists and that its name is spelled correctly."},
        {"a duplicate key",
         L"Chiavi",
         {{L"Codice", std::wstring(L"K")}, {L"Nome", std::wstring(L"due")}},
         3022,
         kDuplicate},
    };
    const NamedValue key[] = {{L"Codice", std::wstring(L"K")}, {L"Nome", std::wstring(L"uno")}};
    db->AppendRow(L"Chiavi", key);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RaisedError e = ErrorOf([&] { db->AppendRow(c.table, c.values); });
        EXPECT_EQ(e.number, c.number);
        EXPECT_EQ(e.description, c.description);
    }
    db.reset();
    EXPECT_EQ(Query("SELECT count(*) FROM Murello"), "2");
    EXPECT_EQ(Query("SELECT group_concat(Codice || '=' || Nome) FROM Chiavi"), "K=uno");
}

// A text set into a number or date column is read by the Italian rules whatever the machine's
// locale: the engine's own conversion would follow the locale (the stand-in engine's does).
TEST_P(DatabaseContract, AppendRowConvertsTextsToTheirColumnsTypes) {
    auto engine = GetParam().makeEngine();
    auto db = engine->OpenDatabase(Path());
    const NamedValue texts[] = {{L"Codart", std::wstring(L"5,5")},
                                {L"IdLotto", std::wstring(L"2,5")},
                                {L"Quantit\u00e0", std::wstring(L"1.234,5")},
                                {L"Data", std::wstring(L"05/03/2024")}};
    db->AppendRow(L"Murello", texts);
    const NamedValue wrong[] = {{L"Codart", std::wstring(L"B2")},
                                {L"Quantit\u00e0", std::wstring(L"cinque")}};
    const RaisedError e = ErrorOf([&] { db->AppendRow(L"Murello", wrong); });
    EXPECT_EQ(e.number, 3421);
    EXPECT_EQ(e.description, L"Data type conversion error.");
    EXPECT_EQ(
        Query("SELECT quote(Codart)||'|'||quote(IdLotto)||'|'||quote(\"Quantit\xC3\xA0\")||'|'||"
              "quote(Data) FROM Murello ORDER BY rowid"),
        "'5,5'|2|1234.5|'2024-03-05'");
}

TEST_P(DatabaseContract, TransactionsCommitOrRollBackTogether) {
    auto engine = GetParam().makeEngine();
    auto db = engine->OpenDatabase(Path());
    const NamedValue first[] = {{L"Codart", std::wstring(L"A1")}};
    const NamedValue second[] = {{L"Codart", std::wstring(L"A2")}};
    db->BeginTransaction();
    db->AppendRow(L"Murello", first);
    db->Execute(L"Insert Into Murello (Codart) Select ?", {{Value(std::wstring(L"A2"))}});
    db->RollbackTransaction();
    EXPECT_EQ(Query("SELECT count(*) FROM Murello"), "0");

    db->BeginTransaction();
    db->AppendRow(L"Murello", first);
    db->AppendRow(L"Murello", second);
    db->CommitTransaction();
    EXPECT_EQ(Query("SELECT group_concat(Codart) FROM Murello"), "A1,A2");

    db->BeginTransaction();
    db->AppendRow(L"Murello", first);
    db.reset();  // closed with the transaction open: nothing of it stays
    EXPECT_EQ(Query("SELECT count(*) FROM Murello"), "2");

    db = engine->OpenDatabase(Path());
    for (auto end : {&Database::CommitTransaction, &Database::RollbackTransaction}) {
        const RaisedError e = ErrorOf([&] { ((*db).*end)(); });
        EXPECT_EQ(e.number, 3034);
        EXPECT_EQ(e.description,
                  L"You tried to commit or rollback a transaction without first beginning a "
                  L"transaction.");
    }
}

}  // namespace
}  // namespace reader
