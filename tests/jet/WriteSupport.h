#pragma once
// What the tests of in-place writing share: databases made with the engine in a temporary folder,
// whole tables read back, and the check of a changed table by every reader there is.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "jet/create/DatabaseCreator.h"
#include "jet/write/DatabaseWriter.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace writetest {

using testsupport::TempDir;

jet::Value text(const std::string& s);
jet::Value integer(std::int64_t n);
// A value in one line of text, for comparisons.
std::string show(const jet::Value& v);

// People(ID Long, Name Text(50), City Text(100), Notes Memo, Score Double) with `rows` rows.
void makePeople(const std::string& path, std::size_t rows, jet::Version version = jet::Version::Jet4,
                std::size_t nameLength = 10);

// Every row of the table, by row key, each row its values in one line per column.
std::map<jet::RowKey, std::vector<std::string>> readTable(const std::string& path, const std::string& table);

// Every data page of the file whose free-space field disagrees with its row table (the room
// between the table and the lowest row), as text; "" when all agree.
std::string dataPageProblems(const std::string& path);

// The message of the jet::Error `f` throws; "" when it throws none.
std::string errorOf(const std::function<void()>& f);
// The bytes of a file.
std::vector<char> bytesOf(const std::string& path);

// Whether the fixtures, node with mdb-reader, mdbtools and python are here.
std::string fixture(const std::string& name); // "" when absent
bool haveCheckers();

// Snapshots the table with every reader, then (check) compares after the change: `args` as for
// tests/jet/write_check.py ("--set", "COL=VALUE", "--drop", "COL"). Returns its stderr on failure.
void snapshot(const std::string& db, const std::string& table, const std::string& dir,
              const std::vector<std::string>& args = {});
std::string checkAgainst(const std::string& db, const std::string& table, const std::string& dir,
                         const std::vector<std::string>& args = {}, const std::string& mode = "check");

} // namespace writetest
