// The test's database file, read and written directly with SQLite: a SQLite database, or an
// Access file for the stand-in DAO engine, which keeps its rows in SQLite too.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

// Runs `statements` (one or more, separated by ";") on the file, made when it is missing;
// throws std::runtime_error with SQLite's message when one fails.
void SqlExec(const std::filesystem::path& file, const std::string& statements);

// The first column of every row that `query` gives, as text ("NULL" for Null), read-only; throws
// std::runtime_error when the file or the query fails.
std::vector<std::string> SqlRows(const std::filesystem::path& file, const std::string& query);

}  // namespace e2e
