#pragma once
// The catalog: the rows of MSysObjects (whose definition is always on page 2) that describe
// table-like objects, with the kind the OLE DB provider reports for each as TABLE_TYPE.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jet/file/Pager.h"

namespace jet {

// MSysObjects.Type values.
namespace object_type {
inline constexpr int Table = 1;
inline constexpr int Container = 3;
inline constexpr int OdbcLink = 4;
inline constexpr int Query = 5;
inline constexpr int JetLink = 6;
} // namespace object_type

// MSysObjects.Flags bits.
namespace object_flag {
inline constexpr std::uint32_t System = 0x80000000;       // the engine's own tables
inline constexpr std::uint32_t AccessSystem = 0x00000002; // tables Access itself keeps
} // namespace object_flag

// The TABLE_TYPE of the tables the engine and Access keep for themselves.
namespace table_type {
inline constexpr std::string_view System = "SYSTEM TABLE";
inline constexpr std::string_view Access = "ACCESS TABLE";
} // namespace table_type

inline constexpr std::uint32_t CatalogTablePage = 2;

struct CatalogEntry {
    std::string name;
    std::string tableType; // "TABLE", "SYSTEM TABLE", "ACCESS TABLE", "VIEW", "LINK", "PASS-THROUGH"
    std::int32_t id = 0;   // for local tables, the first page of the definition
    int type = 0;          // MSysObjects.Type
    std::uint32_t flags = 0;
    bool isTable() const { return type == object_type::Table; }
};

// The engine's and Access's own tables, which nothing but the engine may change: those the catalog
// flags as system tables (System or AccessSystem), and every table named "MSys..." without regard
// to case (Access keeps some, such as MSysCompactError, without a flag).
bool isSystemTable(const CatalogEntry& entry);
// The same rule on what the schema reports of a table: its TABLE_NAME and TABLE_TYPE.
bool isSystemTable(std::string_view name, std::string_view tableType);

// The TABLE_TYPE an object of this Type and Flags is reported with; empty for objects that are not
// table-like (forms, reports, action queries, ...).
std::string tableTypeOf(int type, std::uint32_t flags);

// The property blob (LvProp) of the object with this id; empty when it has none.
std::vector<std::uint8_t> readObjectProperties(Pager& pager, unsigned codePage, std::int32_t id);

// Reads the table-like objects in catalog (storage) order.
std::vector<CatalogEntry> readCatalog(Pager& pager, unsigned codePage);

} // namespace jet
