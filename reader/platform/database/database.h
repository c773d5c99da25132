// The application's database as the reader uses it: open a file, execute statements with typed
// values. Failures raise RaisedError with the numbers and texts of the Access database engine,
// so that the host's error handling sees the same numbers whichever engine stores the rows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <variant>

#include "core/conversions.h"
#include "core/errors.h"

namespace reader {

// A typed value bound to a statement's "?" placeholder; monostate is Null.
using Value = std::variant<std::monostate, std::wstring, std::int32_t, double, Date>;

// One field of a row appended by column name.
struct NamedValue {
    std::wstring column;
    Value value;
};

class Database {
  public:
    virtual ~Database() = default;
    // Runs one statement at once, committed on its own (unless a transaction is open); rows of
    // earlier statements stay.
    virtual void Execute(const std::wstring& statement, std::span<const Value> values) = 0;
    // Appends one row to table, each value into the column of its name (case ignored), as a
    // record set's AddNew, field by name, Update: 3078 when there is no such table, 3265 for a
    // column the table lacks (nothing is stored then).
    virtual void AppendRow(const std::wstring& table, std::span<const NamedValue> values) = 0;
    // What runs between Begin and Commit is stored together, or not at all after Rollback (or
    // when the database is closed first). Commit and Rollback without Begin raise 3034.
    virtual void BeginTransaction() = 0;
    virtual void CommitTransaction() = 0;
    virtual void RollbackTransaction() = 0;
};

// Runs body in one transaction that is committed however body ends: the rows stored before a
// fault stay. When body throws, its error is the one raised (a failing commit is left unsaid).
void InOneCommittedTransaction(Database& db, const std::function<void()>& body);

class DatabaseEngine {
  public:
    virtual ~DatabaseEngine() = default;
    // Opens an existing database file for reading and writing; never creates one.
    virtual std::unique_ptr<Database> OpenDatabase(const std::wstring& path) = 0;
};

// True for the names the Access engine opens (".mdb", ".mde", ".accdb", case ignored).
bool IsAccessFileName(const std::wstring& path);

// Chooses the engine by the file name: Access files go to accessEngine (raising 3170 while
// there is none), every other file to otherEngine.
class EngineByFileName : public DatabaseEngine {
  public:
    EngineByFileName(std::unique_ptr<DatabaseEngine> accessEngine,
                     std::unique_ptr<DatabaseEngine> otherEngine);
    std::unique_ptr<Database> OpenDatabase(const std::wstring& path) override;

  private:
    std::unique_ptr<DatabaseEngine> accessEngine_;
    std::unique_ptr<DatabaseEngine> otherEngine_;
};

}  // namespace reader
