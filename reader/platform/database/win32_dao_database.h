// The database service over the installed DAO engine, driven late-bound through IDispatch:
// ".mdb" and ".mde" files through "DAO.DBEngine.36" (else "DAO.DBEngine.120"), ".accdb" files
// through "DAO.DBEngine.120". The engine objects are made on first use and kept until
// ReleaseEngines (the component unloads); each OpenDatabase gives a database object of its own,
// closed when it goes away. Statements with values run as parameter queries with the
// fail-on-error option, so that the engine reports every row it rejects; engine errors keep
// the engine's number and description, and a missing engine is 429.
#pragma once

#include <windows.h>
// after windows.h
#include <oaidl.h>

#include <span>
#include <string>

#include "kit/com_ptr.h"
#include "platform/database/database.h"

namespace reader {

// One open database: closed, with an open transaction rolled back, when it goes away.
class DaoDatabase : public Database {
  public:
    DaoDatabase(IDispatch& engine, kit::ComPtr<IDispatch> database);
    ~DaoDatabase() override;
    DaoDatabase(const DaoDatabase&) = delete;
    DaoDatabase& operator=(const DaoDatabase&) = delete;

    // A parameter query (a temporary query definition) when there are values, else the
    // statement itself; executed with the fail-on-error option either way.
    void Execute(const std::wstring& statement, std::span<const Value> values) override;
    // AddNew, the fields by name, Update, on the table's append-only record set
    // ("Select * from <table>", options 8), opened once for as long as rows go to that table.
    void AppendRow(const std::wstring& table, std::span<const NamedValue> values) override;
    // The default workspace's BeginTrans, CommitTrans and Rollback.
    void BeginTransaction() override;
    void CommitTransaction() override;
    void RollbackTransaction() override;

  private:
    IDispatch& Workspace();
    IDispatch& RecordsetOf(const std::wstring& table);

    kit::ComPtr<IDispatch> engine_;
    kit::ComPtr<IDispatch> database_;
    kit::ComPtr<IDispatch> workspace_;
    kit::ComPtr<IDispatch> recordset_;
    std::wstring recordsetTable_;
    bool inTransaction_ = false;
};

class DaoEngine : public DatabaseEngine {
  public:
    DaoEngine() = default;
    ~DaoEngine() override;
    DaoEngine(const DaoEngine&) = delete;
    DaoEngine& operator=(const DaoEngine&) = delete;

    // Raises the engine's error (3024 for a missing file, ...), or 429 without an engine.
    std::unique_ptr<Database> OpenDatabase(const std::wstring& path) override;

    // Lets go of the engine objects; the next OpenDatabase makes them again.
    void ReleaseEngines();
    // Forgets them without calling them, for the end of the process, when COM may no longer be
    // called (DllMain).
    void AbandonEngines();

  private:
    IDispatch& EngineFor(const std::wstring& path);
    IDispatch& Engine120();

    kit::ComPtr<IDispatch> engine36_;
    kit::ComPtr<IDispatch> engine120_;
};

}  // namespace reader
