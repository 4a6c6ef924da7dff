#pragma once
// `fendrel-db FILE create SPEC.json`: creates FILE from a JSON description of its format, password
// and tables (columns and rows). An existing FILE is refused; a bad description gets an error
// naming the table, column or row at fault, and leaves no file behind.

#include <string>

namespace fendrel_db {

// Returns the exit status (0 done, 1 error); errors are printed to stderr. `specPath` may be "-"
// for stdin. `password` is the --password option, used when the description has none.
int runCreate(const std::string& file, const std::string& specPath, const std::string& password);

} // namespace fendrel_db
