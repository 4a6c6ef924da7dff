#include "db/Session.h"

#include "db/Error.h"
#include "db/JetValues.h"
#include "db/TextCase.h"

#include <filesystem>

namespace db {

std::shared_ptr<Session> Session::open(const ConnectionSettings& settings, bool forWriting) {
    const std::string& path = settings.dataSource;
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec))
        throw Error(ErrorNumber::Unspecified, "Could not find file '" + path + "'.");
    return translatingErrors([&] {
        jet::OpenOptions options;
        options.password = settings.databasePassword;
        std::shared_ptr<jet::Database> database = jet::Database::open(path, options);
        if (settings.provider == Provider::Jet4 && database->format().version != jet::Version::Jet3 &&
            database->format().version != jet::Version::Jet4)
            throw Error(ErrorNumber::Unspecified, "Unrecognized database format '" + path + "'.");
        return std::shared_ptr<Session>(new Session(path, std::move(database), forWriting));
    });
}

std::string Session::tableName(const std::string& name) {
    const auto& catalog =
        translatingErrors([&]() -> const std::vector<jet::CatalogEntry>& { return database_->catalog(); });
    for (const auto& entry : catalog)
        if (entry.isTable() && entry.name == name) return entry.name;
    for (const auto& entry : catalog)
        if (entry.isTable() && sameName(entry.name, name)) return entry.name;
    throw Error(ErrorNumber::TableNotFound,
                "The database engine cannot find the input table or query '" + name +
                    "'. Make sure it exists and that its name is spelled correctly.");
}

std::shared_ptr<const jet::TableDef> Session::table(const std::string& name) {
    const std::string exact = tableName(name);
    return translatingErrors([&] { return database_->table(exact); });
}

const jet::Column* findColumn(const jet::TableDef& def, const std::string& name) {
    for (const auto& c : def.columns)
        if (sameName(c.name, name)) return &c;
    return nullptr;
}

} // namespace db
