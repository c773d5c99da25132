// The database engine over SQLite files. Errors are translated to the Access engine's numbers
// and texts where the host can cause them (missing file, table or field, a value its column
// refuses, a locked or read-only file); anything else is reserved error 3000 with SQLite's text.
#pragma once

#include <string>
#include <string_view>

#include "platform/database/database.h"

namespace reader {

class SqliteEngine : public DatabaseEngine {
  public:
    // How long a statement waits for another program's lock before it reports the file locked.
    explicit SqliteEngine(int busyTimeoutMs = 1000) : busyTimeoutMs_(busyTimeoutMs) {}
    std::unique_ptr<Database> OpenDatabase(const std::wstring& path) override;

  private:
    int busyTimeoutMs_;
};

// The Access engine's error for an SQLite result code (extended) and message, for the file path.
RaisedError TranslateSqliteError(int extendedCode, std::string_view message,
                                 const std::wstring& path);

}  // namespace reader
