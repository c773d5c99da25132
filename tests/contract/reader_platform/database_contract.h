// The database service's contract, run against every engine: the SQLite engine (natively and in
// the Windows program) and the DAO engine (tests/contract/dao_database, against the stand-in
// engine, which keeps its rows in a SQLite file too). Each program instantiates the suite with its
// engines: INSTANTIATE_TEST_SUITE_P(Engine, DatabaseContract, testing::Values(bench, ...)).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "platform/database/database.h"

namespace reader {

struct DatabaseBench {
    const char* name;
    std::function<std::unique_ptr<DatabaseEngine>()> makeEngine;
    const char* extension;  // of the database file (a SQLite database made by the test)
};
inline void PrintTo(const DatabaseBench& bench, std::ostream* out) { *out << bench.name; }

class DatabaseContract : public testing::TestWithParam<DatabaseBench> {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::wstring Path() const;
    // The first column of every row of a query on the file, one line each.
    std::string Query(const std::string& select) const;

    std::string folder_;
    std::string path_;
};

}  // namespace reader
