#pragma once
// The commands of fendrel-db that change a database in place:
//
//   FILE add-column TABLE NAME [SIZE]   a Text column of SIZE (default 255) characters
//   FILE drop-column TABLE NAME
//   FILE keys TABLE                     each row's key, one a line, in storage order
//   FILE apply SCRIPT|-                 runs one change a line; prints "ok N" when change N is in
//                                       the file (crash tests read this to know what must be there)
//
// A script line is one of (fields separated by tabs):
//   update TABLE KEY COLUMN VALUE       VALUE \N is Null
//   add-column TABLE NAME SIZE
//   drop-column TABLE NAME
//   fill TABLE COLUMN VALUE             sets the column of every row, in one batch
//   batch / commit                      gathers the updates between them into one write

#include <string>

namespace fendrel_db {

// Each returns the exit status (0 done, 1 error); errors are printed to stderr.
int runKeys(const std::string& file, const std::string& table, const std::string& password);
int runAddColumn(const std::string& file, const std::string& table, const std::string& name, unsigned size,
                 const std::string& password);
int runDropColumn(const std::string& file, const std::string& table, const std::string& name,
                  const std::string& password);
int runApply(const std::string& file, const std::string& script, const std::string& password);

} // namespace fendrel_db
