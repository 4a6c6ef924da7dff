#include "db/Access.h"

#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/TextCase.h"
#include "jet/Jet.h"

#include <filesystem>
#include <fstream>

namespace Access {

namespace {

ConnectionInputs& inputs() {
    static ConnectionInputs current;
    return current;
}

std::string read(const std::function<std::string()>& f) {
    return f ? f() : std::string();
}

constexpr int MaxListEntries = 32767;

} // namespace

void SetConnectionInputs(ConnectionInputs in) {
    inputs() = std::move(in);
}

std::string BuildConnectionString() {
    const std::string path = read(inputs().databasePath);
    const std::string password = read(inputs().databasePassword);
    const std::string tail = path.size() > 5 ? path.substr(path.size() - 5) : path;
    const std::string prefix = db::asciiLower(tail) == "accdb"
                                   ? "Provider=Microsoft.ACE.OLEDB.12.0;Data Source="
                                   : "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=";
    // A path or password holding ";" is quoted, so that it reaches the provider whole.
    return prefix + db::quotedValue(path) + ";JET OLEDB:Database Password=" + db::quotedValue(password);
}

bool FileExists(const std::string& path) {
    // A NUL ends the name the system is given, so a path holding one would test a shorter path.
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    (void)std::filesystem::last_write_time(path, ec);
    return !ec;
}

bool DatabaseIsWritable() {
    return FileIsWritable(read(inputs().databasePath));
}

bool FileIsWritable(const std::string& path) {
    if (!FileExists(path)) return false;
    std::error_code ec;
    using std::filesystem::perms;
    const perms mode = std::filesystem::status(path, ec).permissions();
    if (ec || (mode & (perms::owner_write | perms::group_write | perms::others_write)) == perms::none) return false;
    // Opened for reading and writing without truncating: nothing is written.
    std::fstream probe(path, std::ios::in | std::ios::out | std::ios::binary);
    return probe.is_open();
}

std::optional<std::vector<std::string>> ListTables(const std::string& path) {
    ADODB::Connection connection;
    if (!FileExists(path)) return std::nullopt;
    connection.Open(BuildConnectionString());
    ADODB::RecordSet schema = connection.OpenSchema(ADODB::adSchemaTables);
    std::vector<std::string> tables;
    while (!schema.Eof()) {
        const db::Variant& type = schema("TABLE_TYPE").Value();
        if (type.isText() && type.get<std::string>() == "TABLE")
            tables.push_back(schema("TABLE_NAME").Value().get<std::string>());
        schema.MoveNext();
    }
    schema.Close();
    connection.Close();
    return tables;
}

void FillTableList(ListBox& list, const std::string& path, const std::string& /*password*/) {
    const auto tables = ListTables(path);
    if (!tables) return;
    list.Clear();
    for (std::size_t i = 0; i < tables->size() && i < MaxListEntries; ++i)
        list.AddItem((*tables)[i]);
    if (list.ListCount() > 0) list.SetListIndex(0);
}

bool ColumnExists(const std::string& table, const std::string& column) {
    return ColumnExists(table, column, BuildConnectionString());
}

bool ColumnExists(const std::string& table, const std::string& column, const std::string& connectionString) {
    try {
        ADODB::Connection connection;
        connection.Mode = ADODB::adModeReadWrite;
        connection.Open(connectionString);
        ADODB::RecordSet rs;
        rs.Open("SELECT [" + column + "] FROM [" + table + "]", connection, ADODB::adOpenDynamic,
                ADODB::adLockUnspecified);
        return true;
    } catch (...) {
        return false;
    }
}

TextStorageTest TextStorageTestFor(const std::string& connectionString) {
    try {
        const db::ConnectionSettings settings = db::parseConnectionString(connectionString);
        jet::OpenOptions options;
        options.password = settings.databasePassword;
        auto database = jet::Database::open(settings.dataSource, options);
        if (!database->format().jet3) return {};
        const unsigned codePage = database->codePage();
        return [codePage](std::string_view text) -> std::optional<std::string> {
            try {
                jet::encodeCodePage(std::string(text), codePage);
            } catch (const jet::Error& e) {
                return std::string(e.what());
            }
            return std::nullopt;
        };
    } catch (...) {
        return {};
    }
}

} // namespace Access
