// Where the stand-in engine keeps its rows: the ".mdb" file it is given is a SQLite database
// made by the test. SQLite's failures become the engine's numbers and descriptions.
#pragma once

#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;

namespace dao_standin {

struct StoredValue {
    enum class Kind { Null, Integer, Real, Text };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::wstring text;
};

// A value the component handed over, as stored: dates as "YYYY-MM-DD" (with " hh:mm:ss" when
// they have a time), as the reader's SQLite engine stores them; Booleans as -1 and 0.
StoredValue FromVariant(const VARIANT& value);

// What a column or a declared parameter accepts.
enum class Affinity { Any, Text, Integer, Real, Date };
// SQLite's rules, but a type naming a date or a time (DATE, DATETIME, TIME) is a Date/Time field,
// as the reader's SQLite engine reads it.
Affinity ColumnAffinity(const std::wstring& declaredType);
Affinity ParameterAffinity(const std::wstring& parameterType);  // "Text ( 255 )", "Long", ...

// The value converted for a column or parameter: text becomes a number where a number is
// expected ("2,5" and "2.5" both read as 2.5), a date in a Date/Time field; text that is neither
// is error 3421.
StoredValue Converted(StoredValue value, Affinity affinity);

class Store {
  public:
    // Opens an existing file for reading and writing (3024 when it is missing).
    explicit Store(const std::wstring& path);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Runs a statement with values bound to ?1, ?2, ... Without failOnError, a row that a key,
    // a required field or a validation rule rejects is dropped without an error, as the engine
    // does when a statement is executed without its fail-on-error option.
    void Run(const std::wstring& sql, const std::vector<StoredValue>& values, bool failOnError);

    struct Column {
        std::wstring name;
        Affinity affinity;
    };
    std::vector<Column> Columns(const std::wstring& table);  // 3078 for a missing table
    void Insert(const std::wstring& table,
                const std::vector<std::pair<std::wstring, StoredValue>>& row);

    void Begin();
    void Commit();
    void Rollback();

  private:
    [[noreturn]] void Fail();

    sqlite3* db_ = nullptr;
    std::wstring path_;
};

}  // namespace dao_standin
