#pragma once
// The system tables of a new database, with their columns as Access defines them, and the objects
// MSysObjects lists in a fresh database (its containers, the database document, the system
// tables). Jet 4 has MSysObjects, MSysACEs, MSysQueries and MSysRelationships; ACE 12 adds
// MSysComplexColumns and the MSysComplexType_* tables that multi-valued fields are built from.

#include <cstdint>
#include <string>
#include <vector>

#include "jet/Catalog.h"
#include "jet/TableLayout.h"

namespace jet {

struct SystemTable {
    std::string name;
    std::vector<ColumnSpec> columns;
    std::uint8_t tableType = tdef_type::System;
    std::uint32_t objectFlags = object_flag::System; // MSysObjects.Flags
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

// The objects of a fresh database other than its tables: the containers and documents Access
// creates with every database.
std::vector<CatalogObject> standardObjects();

// The owner SID that new objects carry (and the SID of their access control entries).
inline constexpr std::uint8_t DefaultOwner[2] = {0xA6, 0x33};
// Every right on the object: what a new table's access control entry grants.
inline constexpr std::int32_t AllRights = 0xFFFFF;

} // namespace jet
