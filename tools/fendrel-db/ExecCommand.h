#pragma once
// The commands of fendrel-db that go through the data layer, as the program does:
//
//   FILE exec "SQL"          runs one statement; a SELECT prints its rows as `rows` does
//   FILE exec-file SCRIPT|-  runs one statement a line (blank lines skipped) on one connection,
//                            then prints how many ran and how long they took

#include <string>

namespace fendrel_db {

// Why `path` cannot be read as a script of statements (it is a directory, a FIFO, a device...), or
// "" when it may: only a regular file is opened, so nothing waits on a FIFO or reads without end.
std::string scriptRefusal(const std::string& path);

// Each returns the exit status (0 done, 1 error); errors are printed to stderr.
int runExec(const std::string& file, const std::string& sql, const std::string& password);
int runExecFile(const std::string& file, const std::string& script, const std::string& password);

} // namespace fendrel_db
