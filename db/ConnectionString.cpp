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

// The value of a clause from `text` (just after its "="), consuming the text up to and including the
// ";" that ends it. A quoted value runs to its closing quote, a doubled quote standing for one.
std::string takeValue(std::string_view& text) {
    const std::string_view rest = text;
    const std::size_t start = rest.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || (rest[start] != '"' && rest[start] != '\'')) {
        const auto end = rest.find(';');
        text = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        return std::string(rest.substr(0, end));
    }
    const char quote = rest[start];
    std::string value;
    std::size_t i = start + 1;
    for (;; ++i) {
        if (i >= rest.size()) throw formatError(); // no closing quote
        if (rest[i] != quote) {
            value += rest[i];
        } else if (i + 1 < rest.size() && rest[i + 1] == quote) {
            value += quote;
            ++i;
        } else {
            break;
        }
    }
    std::string_view after = rest.substr(i + 1);
    const auto end = after.find(';');
    if (!trim(after.substr(0, end)).empty()) throw formatError(); // text after the closing quote
    text = end == std::string_view::npos ? std::string_view{} : after.substr(end + 1);
    return value;
}

} // namespace

ConnectionSettings parseConnectionString(std::string_view text) {
    ConnectionSettings settings;
    std::optional<std::string> provider;
    while (!text.empty()) {
        const auto end = text.find(';');
        const std::string_view head = text.substr(0, end);
        if (trim(head).empty()) {
            text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
            continue;
        }
        const auto eq = head.find('=');
        if (eq == std::string_view::npos) throw formatError();
        const std::string key = asciiLower(trim(head.substr(0, eq)));
        if (key.empty()) throw formatError();
        text.remove_prefix(eq + 1);
        std::string value = takeValue(text);
        if (key == "provider")
            provider = std::move(value);
        else if (key == "data source")
            settings.dataSource = std::move(value);
        else if (key == "jet oledb:database password")
            settings.databasePassword = std::move(value);
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

std::string quotedValue(std::string_view value) {
    const std::string_view lead = trim(value);
    const bool plain = value.find(';') == std::string_view::npos &&
                       (lead.empty() || (lead.front() != '"' && lead.front() != '\''));
    if (plain) return std::string(value);
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace db
