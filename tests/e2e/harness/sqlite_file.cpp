#include "e2e/sqlite_file.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace e2e {
namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using DatabasePtr = std::unique_ptr<sqlite3, CloseDatabase>;

DatabasePtr Open(const std::filesystem::path& file, int flags) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
    DatabasePtr owned(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot open " + file.string() + ": " + sqlite3_errstr(rc));
    return owned;
}

[[noreturn]] void Fail(sqlite3* db, const std::string& sql) {
    throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in: " + sql);
}

}  // namespace

void SqlExec(const std::filesystem::path& file, const std::string& statements) {
    const DatabasePtr db = Open(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (sqlite3_exec(db.get(), statements.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(db.get(), statements);
}

std::vector<std::string> SqlRows(const std::filesystem::path& file, const std::string& query) {
    const DatabasePtr db = Open(file, SQLITE_OPEN_READONLY);
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(db.get(), query.c_str(), -1, &prepared, nullptr) != SQLITE_OK)
        Fail(db.get(), query);
    const std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(prepared);
    std::vector<std::string> rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement.get(), 0);
        rows.emplace_back(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    if (rc != SQLITE_DONE) Fail(db.get(), query);
    return rows;
}

}  // namespace e2e
