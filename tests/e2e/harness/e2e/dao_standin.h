// The stand-in DAO engine (standins/dao) registered in the prefix as "DAO.DBEngine.36" and
// "DAO.DBEngine.120" for the life of the object, with its record of the calls it received.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

// Where a scenario's rows go: a SQLite file, or an Access file through the stand-in engine (a
// SQLite file too for the stand-in, so the rows read back alike). A suite runs its scenarios over
// both with INSTANTIATE_TEST_SUITE_P(Storage, Suite, testing::ValuesIn(e2e::kStorages)).
struct Storage {
    const char* name;
    const char* extension;  // of the database file: it chooses the component's database service
    bool dao;               // the stand-in engine must be registered
};
inline constexpr Storage kSqliteFile{"SqliteFile", ".db", false};
inline constexpr Storage kAccessFile{"AccessFile", ".mdb", true};
inline constexpr Storage kStorages[] = {kSqliteFile, kAccessFile};
inline void PrintTo(const Storage& storage, std::ostream* out) { *out << storage.name; }

class DaoStandin {
  public:
    DaoStandin();   // copies dao_standin.dll into the prefix and registers it; an empty record
    ~DaoStandin();  // unregisters it and removes the record
    DaoStandin(const DaoStandin&) = delete;
    DaoStandin& operator=(const DaoStandin&) = delete;

    // The environment entry that makes the stand-in record the calls of a program.
    std::string RecordVariable() const;
    // The recorded calls, one per line, each split at its tabs with the escapes undone
    // (standins/dao/call_record.h); the lines of `name` alone when it is given.
    std::vector<std::vector<std::string>> Calls(const std::string& name = {}) const;
    void ClearCalls() const;
    // The faults in how `values` (written as the record writes them) reached the engine, one line
    // each: a value inside an SQL text it received (Execute, CreateQueryDef, OpenRecordset), or
    // a value never sent as a parameter or a field. Empty when every value went as a value.
    std::vector<std::string> ValuesOutsideParameters(const std::vector<std::string>& values) const;

    // Removes the ProgID's registration (until the next registration), as on a machine without
    // that engine.
    static void Unregister(const std::string& progId);

  private:
    std::string dll_;
    std::filesystem::path record_;
    std::string recordWindows_;
};

}  // namespace e2e
