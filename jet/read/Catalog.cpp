#include "jet/read/Catalog.h"

#include "jet/read/TableDef.h"
#include "jet/read/TableScan.h"

namespace jet {

namespace {

// "MSys..." without regard to case.
bool hasSystemName(std::string_view n) {
    return n.size() >= 4 && (n[0] | 0x20) == 'm' && (n[1] | 0x20) == 's' && (n[2] | 0x20) == 'y' &&
           (n[3] | 0x20) == 's';
}

} // namespace

bool isSystemTable(const CatalogEntry& entry) {
    return (entry.flags & (object_flag::System | object_flag::AccessSystem)) || hasSystemName(entry.name);
}

bool isSystemTable(std::string_view name, std::string_view tableType) {
    return tableType == table_type::System || tableType == table_type::Access || hasSystemName(name);
}

std::string tableTypeOf(int type, std::uint32_t flags) {
    switch (type) {
    case object_type::Table:
        if (flags & object_flag::AccessSystem) return std::string(table_type::Access);
        if (flags & object_flag::System) return std::string(table_type::System);
        return "TABLE";
    case object_type::JetLink:
        return "LINK";
    case object_type::OdbcLink:
        return "PASS-THROUGH";
    case object_type::Query:
        // Select queries are views; action, crosstab, union, pass-through and DDL queries carry
        // their kind in the high bits of the flags and are procedures, not tables.
        if ((flags & 0xF0) == 0) return "VIEW";
        return {};
    default:
        return {};
    }
}

std::vector<std::uint8_t> readObjectProperties(Pager& pager, unsigned codePage, std::int32_t id) {
    TableDef def = readTableDef(pager, CatalogTablePage, codePage);
    const Column* idColumn = def.find("Id");
    const Column* propColumn = def.find("LvProp");
    if (!idColumn || !propColumn) return {};
    const auto idAt = static_cast<std::size_t>(idColumn - def.columns.data());
    const auto propAt = static_cast<std::size_t>(propColumn - def.columns.data());
    TableScan scan(pager, def, codePage);
    std::vector<FieldBytes> fields;
    Value v;
    while (scan.nextFields(fields)) {
        decodeValue(pager, *idColumn, fields[idAt], codePage, v);
        if (v.kind != Value::Kind::Integer || v.integer != id) continue;
        decodeValue(pager, *propColumn, fields[propAt], codePage, v);
        return v.kind == Value::Kind::Binary ? v.bytes : std::vector<std::uint8_t>{};
    }
    return {};
}

std::vector<CatalogEntry> readCatalog(Pager& pager, unsigned codePage) {
    TableDef def = readTableDef(pager, CatalogTablePage, codePage);
    auto column = [&](const char* name) -> int {
        for (std::size_t i = 0; i < def.columns.size(); ++i)
            if (def.columns[i].name == name) return static_cast<int>(i);
        corrupt(std::string("the catalog (MSysObjects) has no column ") + name);
    };
    const int cId = column("Id"), cName = column("Name"), cType = column("Type"), cFlags = column("Flags"),
              cParent = column("ParentId");
    std::vector<CatalogEntry> out;
    std::vector<FieldBytes> fields;
    TableScan scan(pager, def, codePage);
    Value v;
    std::int32_t tablesContainer = -1;
    struct Pending {
        CatalogEntry e;
        std::int32_t parent;
    };
    std::vector<Pending> rows;
    auto integer = [&](int col) -> std::int64_t {
        decodeValue(pager, def.columns[static_cast<std::size_t>(col)], fields[static_cast<std::size_t>(col)],
                    codePage, v);
        return v.kind == Value::Kind::Integer ? v.integer : 0;
    };
    while (scan.nextFields(fields)) {
        CatalogEntry e;
        e.type = static_cast<int>(integer(cType));
        e.id = static_cast<std::int32_t>(integer(cId));
        e.flags = static_cast<std::uint32_t>(integer(cFlags));
        auto parent = static_cast<std::int32_t>(integer(cParent));
        decodeValue(pager, def.columns[static_cast<std::size_t>(cName)],
                    fields[static_cast<std::size_t>(cName)], codePage, v);
        e.name = v.text;
        if (e.type == object_type::Container && e.name == "Tables") tablesContainer = e.id;
        e.tableType = tableTypeOf(e.type, e.flags);
        if (!e.tableType.empty()) rows.push_back({std::move(e), parent});
    }
    for (auto& r : rows) {
        if (tablesContainer >= 0 && r.parent != tablesContainer) continue;
        // A local table's id is its definition page; one beyond the end means the file was cut short.
        if (r.e.isTable() && (r.e.id <= 0 || static_cast<std::uint32_t>(r.e.id) >= pager.pageCount()))
            corrupt("table \"" + r.e.name + "\" has its definition on page " + std::to_string(r.e.id) +
                    ", outside the file's " + std::to_string(pager.pageCount()) +
                    " pages (is the file truncated?)");
        out.push_back(std::move(r.e));
    }
    return out;
}

} // namespace jet
