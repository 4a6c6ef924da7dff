#include "jet/create/DatabaseCreator.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "jet/create/SystemCatalog.h"
#include "jet/crypt/OfficeEncryption.h"
#include "jet/encode/HeaderWriter.h"
#include "jet/encode/PropertyWriter.h"
#include "jet/encode/UsageMapWriter.h"
#include "jet/format/CodePage.h"
#include "jet/format/DateTime.h"
#include "jet/format/TextEncoder.h"

namespace jet {

namespace {

constexpr std::uint32_t kGlobalMapPage = 1;
constexpr std::size_t kLvPropColumn = 14; // MSysObjects.LvProp

const Format& creatableFormat(Version v) {
    if (v != Version::Jet3 && v != Version::Jet4 && v != Version::Ace12)
        throw Unsupported(std::string("creating ") + versionName(v) +
                          " databases is not supported (Jet3, Jet4 and ACE12 are)");
    return formatFor(v);
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

Value integerValue(std::int64_t n) {
    Value v;
    v.kind = Value::Kind::Integer;
    v.integer = n;
    return v;
}
Value textValue(const std::string& s) {
    Value v;
    v.kind = Value::Kind::Text;
    v.text = s;
    return v;
}
Value dateValue(double d) {
    Value v;
    v.kind = Value::Kind::DateTime;
    v.real = d;
    return v;
}
Value bytesValue(const std::uint8_t* b, std::size_t n) {
    Value v;
    v.kind = Value::Kind::Binary;
    v.bytes.assign(b, b + n);
    return v;
}

} // namespace

double currentDateTime() {
    using namespace std::chrono;
    auto secs = duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
    // Whole seconds, as Access keeps them.
    return static_cast<double>(UnixEpochDay) + static_cast<double>(secs) / 86400.0;
}

DatabaseCreator::DatabaseCreator(const std::string& path, const CreateOptions& options)
    : f_(creatableFormat(options.version)),
      alloc_(0, maxFileSize(creatableFormat(options.version)) / creatableFormat(options.version).pageSize) {
    header_.version = options.version;
    header_.codePage = 1252;
    header_.sortOrder = GeneralSortOrder;
    if (f_.jet3) {
        if (!codePageKnown(options.codePage))
            throw Unsupported("code page " + std::to_string(options.codePage) + " is not known here");
        header_.codePage = static_cast<std::uint16_t>(options.codePage);
        header_.sortOrder = sortOrderOfCodePage(options.codePage);
    } else if (options.codePage != 1252) {
        throw Error("only Access 97 databases keep their text in a code page");
    }
    header_.creationDate = options.creationDate != 0 ? options.creationDate : currentDateTime();
    header_.password = options.password;
    std::unique_ptr<PageCodec> codec;
    if (options.version == Version::Ace12 && !options.password.empty()) {
        // An .accdb password is encryption: a fresh agile key, and a random non-zero database key
        // that, XORed with each page's number, keys the page.
        NewOfficeEncryption enc = makeAgileEncryption(utf16FromUtf8(options.password), options.spinCount);
        while (header_.databaseKey == 0) {
            std::uint8_t key[4];
            crypto::randomBytes(key, sizeof key);
            header_.databaseKey = key[0] | key[1] << 8 | static_cast<std::uint32_t>(key[2]) << 16 |
                                  static_cast<std::uint32_t>(key[3]) << 24;
        }
        header_.officeCryptoInfo = std::move(enc.info);
        header_.password.clear();
        codec = makeOfficeCodec(header_.databaseKey, std::move(enc.cipher));
    }
    encodeHeader(header_); // refuses a bad password before anything is created
    file_ = std::make_unique<NewFile>(path, f_.pageSize);
    file_->setCodec(std::move(codec));
    alloc_.allocate(); // page 0: the header
    alloc_.allocate(); // page 1: the global usage map
    for (const SystemTable& t : systemTables(options.version)) {
        std::uint32_t page = alloc_.allocate();
        TableDef def = layoutTable(f_, t.name, t.columns, t.tableType);
        def.codePage = header_.codePage;
        system_.push_back(std::make_unique<TableFiller>(f_, t.name, std::move(def), page, alloc_, *file_));
        system_.back()->setEngineTable(t.engineLayout);
    }
}

DatabaseCreator::~DatabaseCreator() = default; // the NewFile removes an unfinished file

TableFiller& DatabaseCreator::addTable(const std::string& name, const std::vector<ColumnSpec>& columns) {
    if (finished_) throw Error("internal error: the database is finished");
    try {
        for (const auto& t : system_)
            if (lower(t->name()) == lower(name))
                throw Error("the name belongs to one of Access's own tables");
        for (const auto& t : tables_)
            if (lower(t->name()) == lower(name)) throw Error("a table of that name exists already");
        TableDef def = layoutTable(f_, name, columns);
        def.codePage = header_.codePage;
        tables_.push_back(
            std::make_unique<TableFiller>(f_, name, std::move(def), alloc_.allocate(), alloc_, *file_));
        return *tables_.back();
    } catch (const Error& e) {
        throw Error("table \"" + name + "\": " + e.what());
    }
}

void DatabaseCreator::finish() {
    if (finished_) return;
    TableFiller& objects = *system_[0];
    TableFiller& aces = *system_[1];
    const double now = header_.creationDate;
    // One row in MSysObjects per object; access control entries for the engine's containers and
    // tables, the database document and the user's tables, granting the administrator every right.
    auto addObject = [&](const CatalogObject& o, const std::uint8_t* owner, bool withAce,
                         const Bytes& properties = {}) {
        std::vector<Value> row(objects.def().columns.size());
        row[0] = integerValue(o.id);
        row[1] = integerValue(o.parentId);
        row[2] = textValue(o.name);
        row[3] = integerValue(o.type);
        row[4] = dateValue(now);
        row[5] = dateValue(now);
        if (owner) row[6] = bytesValue(owner, 2);
        row[7] = integerValue(static_cast<std::int32_t>(o.flags));
        if (!properties.empty()) row[kLvPropColumn] = bytesValue(properties.data(), properties.size());
        objects.append(row);
        if (!withAce) return;
        std::vector<Value> ace(aces.def().columns.size());
        ace[0] = integerValue(o.id);
        ace[1] = bytesValue(AdminOwner, sizeof AdminOwner);
        ace[2] = integerValue(AllRights);
        ace[3].kind = Value::Kind::Boolean;
        ace[3].boolean = o.type == object_type::Container; // what is created inside inherits them
        aces.append(ace);
    };
    // Access's order: the engine's containers and document, its tables, then Access's containers.
    const std::vector<CatalogObject> standard = standardObjects();
    for (const CatalogObject& o : standard) {
        if (o.flags != object_flag::System) continue;
        // Jet3's property blobs ("KKD") are not written: a new Access 97 database carries none.
        if (o.id == object_id::DatabaseDocument && !f_.jet3)
            addObject(o, AdminOwner, true, encodeProperties(databaseProperties()));
        else
            addObject(o, EngineOwner, true);
    }
    const std::vector<SystemTable> defs = systemTables(header_.version);
    for (std::size_t i = 0; i < system_.size(); ++i) {
        const TableFiller& t = *system_[i];
        addObject({static_cast<std::int32_t>(t.tdefPage()), object_id::TablesContainer, t.name(),
                   object_type::Table, defs[i].objectFlags},
                  defs[i].ownerless ? nullptr : EngineOwner, !defs[i].ownerless);
    }
    for (const CatalogObject& o : standard)
        if (o.flags != object_flag::System) addObject(o, AdminOwner, false);
    for (const auto& t : tables_)
        addObject({static_cast<std::int32_t>(t->tdefPage()), object_id::TablesContainer, t->name(),
                   object_type::Table, 0},
                  AdminOwner, true);

    for (auto& t : system_)
        t->finish();
    for (auto& t : tables_)
        t->finish();

    UsageMapWriter maps(f_);
    Bytes globalMap = maps.freePages(alloc_, *file_);
    // Page 1 holds the global map and, in every file Access makes, a second, empty map row.
    DataPageWriter page1(f_, kGlobalMapPage);
    page1.add(globalMap);
    page1.add(Bytes(usage_map::rowSize(f_), 0));
    file_->writePage(kGlobalMapPage, page1.bytes());
    file_->writePage(0, encodeHeader(header_));
    file_->commit();
    finished_ = true;
}

} // namespace jet
