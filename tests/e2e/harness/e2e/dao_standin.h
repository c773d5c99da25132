// The stand-in DAO engine (standins/dao) registered in the prefix as "DAO.DBEngine.36" and
// "DAO.DBEngine.120" for the life of the object, with its record of the calls it received.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

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

    // Removes the ProgID's registration (until the next registration), as on a machine without
    // that engine.
    static void Unregister(const std::string& progId);

  private:
    std::string dll_;
    std::filesystem::path record_;
    std::string recordWindows_;
};

}  // namespace e2e
