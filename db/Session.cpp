#include "db/Session.h"

#include "db/Error.h"
#include "db/JetValues.h"
#include "db/TextCase.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>

namespace db {

namespace {

// The writing sessions of this process, by file.
std::map<std::string, std::weak_ptr<Session>>& writingSessions() {
    static std::map<std::string, std::weak_ptr<Session>> sessions;
    return sessions;
}

std::string fileKey(const std::string& path) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

void checkProvider(const ConnectionSettings& settings, const jet::Database& database,
                   const std::string& path) {
    const auto v = database.format().version;
    if (settings.provider == Provider::Jet4 && v != jet::Version::Jet3 && v != jet::Version::Jet4)
        throw Error(ErrorNumber::Unspecified, "Unrecognized database format '" + path + "'.");
}

} // namespace

Session::Session(std::string path, std::unique_ptr<jet::Database> reader,
                 std::unique_ptr<jet::DatabaseWriter> writer)
    : path_(std::move(path)), reader_(std::move(reader)), writer_(std::move(writer)) {}

Session::~Session() {
    if (writer_) {
        auto& sessions = writingSessions();
        if (auto it = sessions.find(fileKey(path_)); it != sessions.end() && it->second.expired())
            sessions.erase(it);
    }
}

std::shared_ptr<Session> Session::open(const ConnectionSettings& settings, bool forWriting) {
    const std::string& path = settings.dataSource;
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec))
        throw Error(ErrorNumber::Unspecified, "Could not find file '" + path + "'.");
    return translatingErrors([&]() -> std::shared_ptr<Session> {
        jet::OpenOptions options;
        options.password = settings.databasePassword;
        // Reading page 0 checks the format and the password, also for a session already open.
        auto reader = jet::Database::open(path, options);
        checkProvider(settings, *reader, path);
        if (!forWriting) return std::shared_ptr<Session>(new Session(path, std::move(reader), nullptr));

        auto& sessions = writingSessions();
        const std::string key = fileKey(path);
        if (auto live = sessions[key].lock()) return live;
        reader.reset();
        auto writer = std::make_unique<jet::DatabaseWriter>(path, options);
        // The rows held before their pages are laid out take the room; the pages waiting to be
        // written a quarter of it more.
        const std::size_t room = checkpointPagesFor(writer->database().pager().pageCount());
        const std::size_t pages = std::max<std::size_t>(room / 4, MinPendingPages);
        writer->keepBatching(pages, room * writer->database().format().pageSize);
        std::shared_ptr<Session> session(new Session(path, nullptr, std::move(writer)));
        sessions[key] = session;
        return session;
    });
}

std::size_t Session::checkpointPagesFor(std::size_t filePages) {
    const std::size_t share = filePages / 4 > FixedCostPages ? filePages / 4 - FixedCostPages : 0;
    return std::clamp(share, MinCheckpointPages, CheckpointPages);
}

jet::DatabaseWriter& Session::writer() {
    if (!writer_) throw Error(ErrorNumber::Unspecified, "Cannot update. Database or object is read-only.");
    translatingErrors([&] { writer_->checkWritable(); });
    return *writer_;
}

std::string Session::tableName(const std::string& name) {
    const jet::CatalogEntry* found = translatingErrors([&] { return database().findTable(name); });
    if (!found)
        throw Error(ErrorNumber::TableNotFound,
                    "The database engine cannot find the input table or query '" + name +
                        "'. Make sure it exists and that its name is spelled correctly.");
    return found->name;
}

bool Session::isSystemTable(const std::string& name) {
    const jet::CatalogEntry* found = translatingErrors([&] { return database().findTable(name); });
    return found && jet::isSystemTable(*found);
}

std::shared_ptr<const jet::TableDef> Session::table(const std::string& name) {
    const std::string exact = tableName(name);
    return translatingErrors([&] { return writer_ ? writer_->table(exact) : reader_->table(exact); });
}

TableShape Session::shape(const std::string& name) {
    TableShape shape;
    shape.columns = columns(name);
    const auto def = table(name);
    translatingErrors([&] {
        const jet::Format& f = database().format();
        shape.columnNumbersLeft = static_cast<int>(jet::columnNumbersLeft(*def));
        shape.pageBytes = static_cast<std::uint32_t>(f.pageSize);
        shape.fileBytes = std::uint64_t{database().pager().pageCount()} * f.pageSize;
        shape.maxFileBytes = jet::maxFileSize(f);
        shape.maxRowBytes = static_cast<std::uint32_t>(jet::maxRowSize(f));
        shape.codePageText = f.jet3;
    });
    return shape;
}

void Session::execute(const sql::AddColumn& s) {
    writer();
    executor_.run(s);
}

void Session::execute(const sql::DropColumn& s) {
    writer();
    executor_.run(s);
}

std::size_t Session::execute(const sql::Update& s) {
    writer();
    const std::size_t changed = executor_.run(s);
    // The writer writes its waiting pages itself when they come to its share of the room.
    if (++sinceCheckpoint_ >= CheckpointStatements)
        checkpoint();
    return changed;
}

void Session::checkpoint() {
    if (!writer_) return;
    sinceCheckpoint_ = 0;
    translatingErrors([&] { writer_->commit(); });
}

void Session::checkpointBeforeRead() {
    if (writer_ && writer_->stopped()) return;
    checkpoint();
}

std::vector<StoreColumn> Session::columns(const std::string& name) {
    const auto def = table(name);
    const bool jet3 = database().format().jet3;
    std::vector<StoreColumn> out;
    for (const auto& c : def->columns) {
        const int chars = c.type == jet::ColumnType::Text ? (jet3 ? c.length : c.length / 2) : 0;
        out.push_back({c.name, adoTypeOf(c), chars, c.precision, c.scale});
    }
    return out;
}

void Session::scan(const std::string& name, std::size_t column,
                   const std::function<void(RowKey, const Variant&)>& visit) {
    translatingErrors([&] {
        // A text is made in the room of the one before: a scan of a million names makes no million texts.
        Variant value{std::string()};
        writer().scan(name, column, [&](jet::RowKey key, const jet::Value& v) {
            assignVariant(value, v);
            visit(key, value);
        });
    });
}

namespace {

// A data layer test asked of the engine's row values; a text one compared with the engine's text,
// without a data layer value made of it.
std::optional<jet::RowCondition> conditionOf(const RowTest* only) {
    if (!only) return std::nullopt;
    return jet::RowCondition{only->column,
                             [only](const jet::Value& v) {
                                 if (only->text && v.kind == jet::Value::Kind::Text) return v.text == *only->text;
                                 if (only->text && v.kind == jet::Value::Kind::Null) return false;
                                 return only->holds(toVariant(v));
                             },
                             only->text, only->known};
}

} // namespace

bool Session::update(const std::string& name, RowKey row, const std::vector<std::pair<std::size_t, Variant>>& values,
                     const RowTest* only) {
    return updateRows(name, std::span<const RowKey>(&row, 1), values, only) == 1;
}

std::size_t Session::updateRows(const std::string& name, std::span<const RowKey> rows,
                                const std::vector<std::pair<std::size_t, Variant>>& values, const RowTest* only) {
    if (rows.empty()) return 0;
    // The values are made once for every row; the rows join the session's lasting batch, written
    // at the next checkpoint.
    jet::DatabaseWriter& w = writer();
    const auto def = translatingErrors([&] { return w.table(name); });
    std::vector<std::pair<std::size_t, jet::Value>>& changes = changes_;
    changes.clear();
    for (const auto& [i, v] : values)
        changes.emplace_back(i, toJetValue(v, def->columns.at(i)));
    const std::optional<jet::RowCondition> condition = conditionOf(only);
    const jet::RowCondition* test = condition ? &*condition : nullptr;
    return translatingErrors([&] { return w.updateRows(name, rows, changes, test); });
}

void Session::addTextColumn(const std::string& name, const std::string& column, int size) {
    translatingErrors([&] { writer().addTextColumn(name, column, static_cast<unsigned>(size)); });
}

void Session::dropColumn(const std::string& name, const std::string& column) {
    translatingErrors([&] { writer().dropColumn(name, column); });
}

const jet::Column* findColumn(const jet::TableDef& def, const std::string& name) {
    for (const auto& c : def.columns)
        if (sameName(c.name, name)) return &c;
    return nullptr;
}

} // namespace db
