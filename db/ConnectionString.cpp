#include "db/ConnectionString.h"

#include "db/Error.h"
#include "db/TextCase.h"

#include <optional>

namespace db {

namespace {

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

Error formatError() {
    return Error(ErrorNumber::Unspecified,
                 "Format of the initialization string does not conform to the OLE DB rules.");
}

Provider providerNamed(std::string_view name) {
    const std::string key = asciiLower(trim(name));
    if (key == "microsoft.jet.oledb.4.0") return Provider::Jet4;
    if (key == "microsoft.ace.oledb.12.0") return Provider::Ace12;
    throw Error(ErrorNumber::ProviderNotFound, "Provider cannot be found. It may not be properly installed.");
}

} // namespace

ConnectionSettings parseConnectionString(std::string_view text) {
    ConnectionSettings settings;
    std::optional<std::string> provider;
    while (!text.empty()) {
        const auto end = text.find(';');
        const std::string_view clause = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (trim(clause).empty()) continue;
        const auto eq = clause.find('=');
        if (eq == std::string_view::npos) throw formatError();
        const std::string key = asciiLower(trim(clause.substr(0, eq)));
        const std::string_view value = clause.substr(eq + 1);
        if (key.empty()) throw formatError();
        if (key == "provider")
            provider = std::string(value);
        else if (key == "data source")
            settings.dataSource = std::string(value);
        else if (key == "jet oledb:database password")
            settings.databasePassword = std::string(value);
        // Other keys (user id, mode, ...) are accepted and have no effect here.
    }
    if (!provider) {
        // Without a provider the platform falls back to its ODBC bridge, which finds no data source.
        throw Error(
            ErrorNumber::Unspecified,
            "[Microsoft][ODBC Driver Manager] Data source name not found and no default driver specified");
    }
    settings.provider = providerNamed(*provider);
    return settings;
}

} // namespace db
