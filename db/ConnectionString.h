#pragma once
// Reading a connection string the way the platform's providers read it: clauses split at ";",
// each "key=value", keys compared without regard to case or surrounding blanks, values taken as
// they stand. A value may be quoted, in double or single quotes with the quote doubled inside, so
// that it can hold ";": the program quotes a path or password that holds one (quotedValue), which
// would otherwise be cut there and its rest read as further clauses.

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

// Throws db::Error: a malformed clause (or an unclosed quote), a missing or unknown provider.
ConnectionSettings parseConnectionString(std::string_view text);

// A value as a connection string must hold it: as it stands, or, when it holds ";" or begins
// (after blanks) with a quote, in double quotes with every double quote doubled.
std::string quotedValue(std::string_view value);

} // namespace db
