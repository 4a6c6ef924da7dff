#pragma once
// Reading a connection string the way the platform's providers read it: clauses split at ";",
// each "key=value", keys compared without regard to case or surrounding blanks, values taken as
// they stand. A path holding ";" is therefore cut there and its rest read as a further clause.

#include <string>
#include <string_view>

namespace db {

enum class Provider {
    Jet4,  // "Microsoft.Jet.OLEDB.4.0": Jet 3 and Jet 4 files
    Ace12, // "Microsoft.ACE.OLEDB.12.0": every Access format
};

struct ConnectionSettings {
    Provider provider = Provider::Ace12;
    std::string dataSource;       // "Data Source"
    std::string databasePassword; // "Jet OLEDB:Database Password"
};

// Throws db::Error: a malformed clause, a missing or unknown provider.
ConnectionSettings parseConnectionString(std::string_view text);

} // namespace db
