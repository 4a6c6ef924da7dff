#pragma once
// The system tables of a new database, with their columns as Access defines them, and the objects
// MSysObjects lists in a fresh database (its containers, the database document, the system
// tables). Jet 4 has MSysObjects, MSysACEs, MSysQueries and MSysRelationships; ACE 12 adds
// MSysComplexColumns and the MSysComplexType_* tables that multi-valued fields are built from.

#include <cstdint>
#include <string>
#include <vector>

#include "jet/encode/PropertyWriter.h"
#include "jet/encode/TableLayout.h"
#include "jet/read/Catalog.h"

namespace jet {

struct SystemTable {
    std::string name;
    std::vector<ColumnSpec> columns;
    std::uint8_t tableType = tdef_type::System;
    std::uint32_t objectFlags = object_flag::System; // MSysObjects.Flags
    bool ownerless = false;                          // MSysObjects.Owner is null (ACE's complex tables)
    bool engineLayout = true; // definition laid out as the engine's own (false: as a user table's)
};

// In the order of their definition pages; MSysObjects comes first (page 2).
std::vector<SystemTable> systemTables(Version v);

// Ids and parents in MSysObjects.
namespace object_id {
inline constexpr std::int32_t Root = 0x0F000000;
inline constexpr std::int32_t TablesContainer = 0x0F000001;
inline constexpr std::int32_t DatabasesContainer = 0x0F000002;
inline constexpr std::int32_t RelationshipsContainer = 0x0F000003;
inline constexpr std::int32_t DatabaseDocument = 0x10000000; // MSysDb
} // namespace object_id

// A row of MSysObjects as a new database has them.
struct CatalogObject {
    std::int32_t id = 0;
    std::int32_t parentId = 0;
    std::string name;
    std::int16_t type = 0;
    std::uint32_t flags = 0;
};

// The objects of a fresh database other than its tables: the engine's containers and database
// document, then the containers Access keeps its forms, reports, modules, scripts, pages and
// relationship layouts in (ids from 0x80000000, flags 0). The Access application's documents
// (SummaryInfo, UserDefined) and tables (MSysAccessStorage, MSysNavPane*, ...) are not made here.
std::vector<CatalogObject> standardObjects();

// The properties of the database document (MSysDb's LvProp): AccessVersion "09.50", which marks a
// Jet 4 file as of the Access 2002-2003 format (Access 2007 files carry the same).
std::vector<Property> databaseProperties();

// Owners (2-byte SIDs): the administrator, who owns MSysDb and the user's tables, and the engine,
// which owns its own objects. Within an Access file the engine's SID is the administrator's with
// the bytes XORed by 01 02; the administrator's value is the one Jackcess uses.
inline constexpr std::uint8_t AdminOwner[2] = {0xA6, 0x33};
inline constexpr std::uint8_t EngineOwner[2] = {0xA7, 0x31};
// Every right on the object: what a new table's access control entry grants.
inline constexpr std::int32_t AllRights = 0xFFFFF;

} // namespace jet
