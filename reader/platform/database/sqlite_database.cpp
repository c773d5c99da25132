#include "platform/database/sqlite_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <type_traits>
#include <vector>

#include "core/errors.h"
#include "core/text_encoding.h"
#include "platform/database/column_conversion.h"

namespace reader {
namespace {

struct CloseConnection {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, CloseConnection>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// The text after a fixed prefix of SQLite's message, when the message starts with it.
bool After(std::string_view message, std::string_view prefix, std::wstring& rest) {
    if (!message.starts_with(prefix)) return false;
    rest = FromUtf8(message.substr(prefix.size()));
    return true;
}

bool Contains(std::string_view message, std::string_view part, std::wstring& rest) {
    const auto at = message.find(part);
    if (at == std::string_view::npos) return false;
    rest = FromUtf8(message.substr(at + part.size()));
    return true;
}

class SqliteDatabase : public Database {
  public:
    SqliteDatabase(Connection db, std::wstring path, bool restoreDeleteJournal)
        : db_(std::move(db)), path_(std::move(path)), restoreDeleteJournal_(restoreDeleteJournal) {}

    ~SqliteDatabase() override {
        last_.reset();
        // Best effort: the journal file kept during this connection goes away with it. When
        // another connection holds the file, the next one to commit in delete mode removes it.
        if (restoreDeleteJournal_) {
            sqlite3_exec(db_.get(), "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        }
    }

    void Execute(const std::wstring& statementText, std::span<const Value> values) override {
        sqlite3_stmt* statement = Prepared(statementText);
        // However this run ends, the kept statement is left ready for the next one.
        struct ResetAfterUse {
            sqlite3_stmt* statement;
            ~ResetAfterUse() { sqlite3_reset(statement); }
        } reset{statement};
        // Placeholders left without a value are Null, as in a newly prepared statement.
        if (static_cast<int>(values.size()) < sqlite3_bind_parameter_count(statement)) {
            sqlite3_clear_bindings(statement);
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            Bind(statement, static_cast<int>(i) + 1, values[i]);
        }
        while (true) {
            const int rc = sqlite3_step(statement);
            if (rc == SQLITE_DONE) return;
            if (rc != SQLITE_ROW) Fail();
        }
    }

    void AppendRow(const std::wstring& table, std::span<const NamedValue> values) override {
        const std::vector<Column> columns = ColumnsOf(table);
        if (columns.empty()) throw Fail(kErrDbNoSuchTable, {table});
        std::wstring names;
        std::wstring marks;
        std::vector<Value> bound;
        for (const NamedValue& field : values) {
            const auto column = std::find_if(columns.begin(), columns.end(), [&](auto& known) {
                return SameName(known.name, field.column);
            });
            if (column == columns.end()) throw Fail(kErrDbItemNotFound, {}, field.column);
            names += (names.empty() ? L"" : L",") + Quoted(column->name);
            marks += marks.empty() ? L"?" : L",?";
            // As the Access engine does, the column's type decides what a value becomes.
            bound.push_back(ConvertForColumn(field.value, column->kind));
        }
        Execute(names.empty() ? L"INSERT INTO " + Quoted(table) + L" DEFAULT VALUES"
                              : L"INSERT INTO " + Quoted(table) + L" (" + names + L") VALUES (" +
                                    marks + L")",
                bound);
    }

    void BeginTransaction() override { Run("BEGIN"); }
    void CommitTransaction() override {
        if (sqlite3_get_autocommit(db_.get())) throw Fail(kErrDbNoTransaction, {}, L"COMMIT");
        Run("COMMIT");
    }
    void RollbackTransaction() override {
        if (sqlite3_get_autocommit(db_.get())) throw Fail(kErrDbNoTransaction, {}, L"ROLLBACK");
        Run("ROLLBACK");
    }

  private:
    // The statement prepared for this text. The last one is kept: an import runs the same insert
    // for every line and so prepares it once.
    sqlite3_stmt* Prepared(const std::wstring& statementText) {
        if (last_ && statementText == lastText_) return last_.get();
        last_.reset();
        const std::string sql = ToUtf8(statementText);
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db_.get(), sql.c_str(), static_cast<int>(sql.size()), &raw,
                               nullptr) != SQLITE_OK) {
            Fail();
        }
        last_.reset(raw);
        lastText_ = statementText;
        return raw;
    }

    struct Column {
        std::wstring name;  // as the table spells it
        ColumnKind kind;    // by its declared type
    };

    // The table's columns; none when there is no such table.
    std::vector<Column> ColumnsOf(const std::wstring& table) {
        const std::string sql = "SELECT name, type FROM pragma_table_info(?)";
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) Fail();
        Statement statement(raw);
        Bind(statement.get(), 1, Value(table));
        std::vector<Column> columns;
        int rc = SQLITE_OK;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
            const auto* name =
                reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
            const auto* type =
                reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 1));
            columns.push_back(
                {FromUtf8(name ? name : ""), KindOfDeclaredType(FromUtf8(type ? type : ""))});
        }
        if (rc != SQLITE_DONE) Fail();
        return columns;
    }

    static bool SameName(const std::wstring& a, const std::wstring& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (std::towlower(static_cast<wint_t>(a[i])) !=
                std::towlower(static_cast<wint_t>(b[i])))
                return false;
        }
        return true;
    }

    static std::wstring Quoted(const std::wstring& name) {
        std::wstring quoted = L"\"";
        for (wchar_t c : name) quoted += c == L'"' ? std::wstring(L"\"\"") : std::wstring(1, c);
        return quoted + L"\"";
    }

    void Run(const char* sql) {
        if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail();
    }

    // A catalogue error of this database, with what it names.
    RaisedError Fail(std::int32_t number, std::initializer_list<std::wstring_view> fills,
                     const std::wstring& what = {}) {
        return ReaderErrorWithText(number, ErrorText(number, fills), 0,
                                   L"SQLite " + what + L" on " + path_);
    }

    void Bind(sqlite3_stmt* statement, int index, const Value& value) {
        int rc = SQLITE_OK;
        std::visit(
            [&](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::monostate>) {
                    rc = sqlite3_bind_null(statement, index);
                } else if constexpr (std::is_same_v<T, std::wstring>) {
                    const std::string utf8 = ToUtf8(v);
                    rc = sqlite3_bind_text(statement, index, utf8.data(),
                                           static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
                } else if constexpr (std::is_same_v<T, std::int32_t>) {
                    rc = sqlite3_bind_int(statement, index, v);
                } else if constexpr (std::is_same_v<T, double>) {
                    rc = sqlite3_bind_double(statement, index, v);
                } else {
                    const std::string iso = IsoDateText(v);
                    rc = sqlite3_bind_text(statement, index, iso.data(),
                                           static_cast<int>(iso.size()), SQLITE_TRANSIENT);
                }
            },
            value);
        if (rc != SQLITE_OK) Fail();
    }

    [[noreturn]] void Fail() {
        throw TranslateSqliteError(sqlite3_extended_errcode(db_.get()), sqlite3_errmsg(db_.get()),
                                   path_);
    }

    Connection db_;
    std::wstring path_;
    Statement last_;  // finalized before the connection closes
    std::wstring lastText_;
    bool restoreDeleteJournal_;
};

// The journal mode this connection uses: the file's own, except that the default delete mode
// becomes persist. Every reading of a download is committed on its own, and creating and
// deleting the journal file for each commit was most of a commit's cost (on Windows each is a
// file-system round trip, and a name that does not exist is the slowest lookup). A persisted
// journal is as safe: a commit is still complete only once its journal header is zeroed and
// synced. Returns whether the connection must go back to delete mode when it closes.
bool KeepJournalFile(sqlite3* db) {
    std::string mode;
    sqlite3_exec(
        db, "PRAGMA journal_mode",
        [](void* out, int, char** values, char**) {
            if (values[0]) *static_cast<std::string*>(out) = values[0];
            return 0;
        },
        &mode, nullptr);
    if (mode != "delete") return false;  // a mode the file's owner chose (wal) stays
    return sqlite3_exec(db, "PRAGMA journal_mode=PERSIST", nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace

RaisedError TranslateSqliteError(int extendedCode, std::string_view message,
                                 const std::wstring& path) {
    // What the engine said stays with the error for diagnosis.
    const std::wstring operation = L"SQLite \"" + FromUtf8(message) + L"\" on " + path;
    auto error = [&](std::int32_t number, std::initializer_list<std::wstring_view> fills = {}) {
        return ReaderErrorWithText(number, ErrorText(number, fills), extendedCode, operation);
    };
    std::wstring name;
    switch (extendedCode & 0xFF) {
        case SQLITE_CANTOPEN: {
            std::error_code ec;
            if (!std::filesystem::exists(std::filesystem::path(path), ec)) {
                return error(kErrDbFileNotFound, {path});
            }
            return error(kErrDbCannotOpenFile, {path});
        }
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return error(kErrDbUnrecognizedFormat, {path});
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return error(kErrDbCurrentlyLocked);
        case SQLITE_READONLY:
            return error(kErrDbReadOnly);
        case SQLITE_FULL:
            return error(kErrDbDiskFull);
        case SQLITE_NOMEM:
            return error(kErrOutOfMemory);
        case SQLITE_TOOBIG:
            return error(kErrDbFieldTooSmall);
        case SQLITE_CONSTRAINT:
            switch (extendedCode) {
                case SQLITE_CONSTRAINT_UNIQUE:
                case SQLITE_CONSTRAINT_PRIMARYKEY:
                    return error(kErrDbDuplicateValue);
                case SQLITE_CONSTRAINT_NOTNULL:
                    After(message, "NOT NULL constraint failed: ", name);
                    return error(kErrDbRequiredValue, {name});
                case SQLITE_CONSTRAINT_DATATYPE:
                    return error(kErrDbTypeMismatch);
                case SQLITE_CONSTRAINT_CHECK:
                    // A field size is kept in SQLite as a check on the value's length.
                    return error(kErrDbFieldTooSmall);
                default:
                    break;
            }
            break;
        case SQLITE_ERROR:
            if (After(message, "no such table: ", name)) return error(kErrDbNoSuchTable, {name});
            if (Contains(message, " has no column named ", name)) {
                return error(kErrDbUnknownInsertField, {name});
            }
            if (After(message, "no such column: ", name)) return error(kErrDbTooFewParameters);
            break;
        default:
            break;
    }
    return ReaderErrorWithText(kErrDbReservedError, FromUtf8(message), extendedCode, operation);
}

std::unique_ptr<Database> SqliteEngine::OpenDatabase(const std::wstring& path) {
    // SQLite reads these names as a new temporary or in-memory database, not as a file.
    if (path.empty() || path == L":memory:") {
        throw ReaderErrorWithText(kErrDbFileNotFound, ErrorText(kErrDbFileNotFound, {path}), 0,
                                  L"OpenDatabase");
    }
    const std::string utf8 = ToUtf8(path);
    sqlite3* raw = nullptr;
    // Without SQLITE_OPEN_CREATE: a missing file is an error, never a new empty database.
    const int rc = sqlite3_open_v2(utf8.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK) {
        const int code = db ? sqlite3_extended_errcode(db.get()) : rc;
        throw TranslateSqliteError(code, db ? sqlite3_errmsg(db.get()) : "", path);
    }
    sqlite3_extended_result_codes(db.get(), 1);
    sqlite3_busy_timeout(db.get(), busyTimeoutMs_);
    // SQLite reads the file lazily; reading the schema now reports a file that is no database
    // when it is opened, as the Access engine does.
    if (sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        throw TranslateSqliteError(sqlite3_extended_errcode(db.get()), sqlite3_errmsg(db.get()),
                                   path);
    }
    const bool restoreDeleteJournal = KeepJournalFile(db.get());
    return std::make_unique<SqliteDatabase>(std::move(db), path, restoreDeleteJournal);
}

}  // namespace reader
