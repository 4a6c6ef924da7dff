#include "jet/read/Database.h"

#include "jet/format/NameMatch.h"
#include "jet/read/Properties.h"

#include <new>

namespace jet {

void rethrowNamingFile(const std::string& path) {
    const std::string prefix = path + ": ";
    try {
        throw;
    } catch (const BadPassword& e) {
        throw;
    } catch (const Corrupt& e) {
        if (std::string(e.what()).rfind(prefix, 0) == 0) throw;
        throw Corrupt(prefix + "damaged or not an Access database: " + e.what());
    } catch (const Unsupported& e) {
        if (std::string(e.what()).rfind(prefix, 0) == 0) throw;
        throw Unsupported(prefix + e.what());
    } catch (const WriteFailure& e) {
        if (std::string(e.what()).rfind(prefix, 0) == 0) throw;
        throw WriteFailure(prefix + e.what(), e.kind());
    } catch (const Error& e) {
        if (std::string(e.what()).rfind(prefix, 0) == 0) throw;
        throw Error(prefix + e.what());
    } catch (const std::bad_alloc&) {
        throw Error(prefix + "out of memory");
    }
}

void Database::rethrowSeeingChanges() {
    try {
        throw;
    } catch (const Corrupt&) {
        if (!writtenHere_ && pager_->file().changedElsewhere())
            throw Changing(path_ + ": the file is being changed by another program while it is read, so what "
                                   "was read does not hold together; read it again when that program is done");
        rethrowNamingFile(path_);
    } catch (...) {
        rethrowNamingFile(path_);
    }
}

Database::Database(std::string path, Header header, std::unique_ptr<Pager> pager, std::unique_ptr<PageCodec> codec)
    : path_(std::move(path)), header_(std::move(header)), pager_(std::move(pager)), codec_(std::move(codec)) {}

std::unique_ptr<PageCodec> Database::pageCodec() const { return codec_ ? codec_->clone() : nullptr; }

std::unique_ptr<Database> Database::open(const std::string& path, const OpenOptions& options) {
    return open(std::make_unique<PageFile>(path), options);
}

std::unique_ptr<Database> Database::open(std::unique_ptr<PageFile> file, const OpenOptions& options) {
    const std::string path = file->path();
    try {
        std::vector<std::uint8_t> page0(4096, 0);
        std::size_t got = file->readAt(0, page0.data(), page0.size());
        if (got == 0) corrupt("the file is empty");
        Version v = detectVersion(page0.data(), got);
        const Format& f = formatFor(v);
        if (got < f.pageSize) corrupt("the file ends inside its header page");
        page0.resize(f.pageSize);
        applyHeaderMask(page0, f);
        Header h = parseHeader(page0, f);
        std::unique_ptr<PageCodec> codec;
        if (h.officeEncrypted) {
            // The password is the key: it is checked against the file's verifier, and the keys of
            // every page follow from it here, once.
            try {
                codec = makeOfficeCodec(page0, h.databaseKey, options.password);
            } catch (const BadPassword&) {
                throw BadPassword(path + ": Not a valid password.");
            }
        } else {
            // As with Access's own engine, a database without a password opens whatever password
            // is given; one with a password opens only with that password.
            if (!h.password.empty() && h.password != options.password)
                throw BadPassword(path + ": Not a valid password.");
            if (h.databaseKey != 0) codec = makeJetRc4Codec(h.databaseKey);
        }
        std::unique_ptr<PageCodec> writerCodec = codec ? codec->clone() : nullptr;
        auto pager = std::make_unique<Pager>(std::move(file), f, std::move(codec), options.cachePages);
        return std::unique_ptr<Database>(
            new Database(path, std::move(h), std::move(pager), std::move(writerCodec)));
    } catch (...) {
        rethrowNamingFile(path);
    }
}

void Database::forgetCached() {
    catalog_.reset();
    pager_->forgetCached();
}

const std::vector<CatalogEntry>& Database::catalog() {
    return guarded([&]() -> const std::vector<CatalogEntry>& {
        if (!catalog_) catalog_ = readCatalog(*pager_, codePage());
        return *catalog_;
    });
}

const CatalogEntry* Database::findTable(const std::string& name) {
    const auto& cat = catalog();
    for (const auto& e : cat)
        if (e.isTable() && e.name == name) return &e;
    for (const auto& e : cat)
        if (e.isTable() && sameNameIgnoringCase(e.name, name)) return &e;
    return nullptr;
}

std::shared_ptr<const TableDef> Database::table(const std::string& name) {
    const CatalogEntry* found = findTable(name);
    if (!found) throw Error(path_ + ": no table named \"" + name + "\"");
    if (found->id <= 0)
        throw Corrupt(path_ + ": damaged or not an Access database: table \"" + name +
                      "\" has no definition page");
    auto id = static_cast<std::uint32_t>(found->id);
    return guarded([&] {
        TableDef def = readTableDef(*pager_, id, codePage());
        applyResultTypes(def, found->id);
        return std::make_shared<const TableDef>(std::move(def));
    });
}

void Database::applyResultTypes(TableDef& def, std::int32_t id) {
    bool any = false;
    for (const auto& c : def.columns)
        any = any || c.calculated();
    if (!any) return;
    // The table's properties are read only for a table that has calculated columns.
    const std::vector<std::uint8_t> blob = readObjectProperties(*pager_, codePage(), id);
    const auto maps = parseProperties(ByteView(blob.data(), blob.size()), format(), codePage());
    for (auto& c : def.columns) {
        if (!c.calculated()) continue;
        for (const auto& map : maps) {
            if (!sameNameIgnoringCase(map.name, c.name)) continue;
            const PropertyValue* result = map.find("ResultType");
            if (result && !result->bytes.empty() && isKnownColumnType(result->bytes[0]))
                c.resultType = static_cast<ColumnType>(result->bytes[0]);
        }
    }
}

RowReader Database::rows(const std::string& name) {
    return RowReader(*this, table(name));
}

RowReader::RowReader(Database& db, std::shared_ptr<const TableDef> def) : db_(db), def_(std::move(def)) {
    scan_ = db_.guarded([&] { return std::make_unique<TableScan>(db_.pager(), *def_, db_.codePage()); });
}

bool RowReader::next(std::vector<Value>& values) {
    return db_.guarded([&] { return scan_->next(values); });
}

bool RowReader::next(std::vector<Value>& values, std::span<const std::size_t> columns) {
    return db_.guarded([&] { return scan_->next(values, columns); });
}

bool RowReader::nextFields(std::vector<FieldBytes>& fields, RowId* id) {
    return db_.guarded([&] { return scan_->nextFields(fields, id); });
}

void RowReader::seek(ScanMark mark) {
    db_.guarded([&] { scan_->seek(mark); });
}

} // namespace jet
