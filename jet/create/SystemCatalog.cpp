#include "jet/create/SystemCatalog.h"

namespace jet {

namespace {

// Access marks the columns of its own tables with flag 0x10.
constexpr std::uint8_t kSystemColumn = 0x10;

ColumnSpec col(const char* name, ColumnType type, std::uint8_t extra = kSystemColumn, unsigned size = 0) {
    ColumnSpec c;
    c.name = name;
    c.type = type;
    c.size = size;
    c.compressed = false;
    c.extraFlags = extra;
    return c;
}
ColumnSpec text(const char* name, std::uint8_t extra = kSystemColumn) {
    return col(name, ColumnType::Text, extra, 255);
}
ColumnSpec binary(const char* name) {
    return col(name, ColumnType::Binary, kSystemColumn | 0x20, 510);
}

SystemTable complexType(const char* suffix, std::vector<ColumnSpec> columns) {
    SystemTable t;
    t.name = std::string("MSysComplexType_") + suffix;
    t.columns = std::move(columns);
    t.tableType = tdef_type::User;
    t.objectFlags = 0x80030000;
    t.ownerless = true;
    t.engineLayout = false;
    return t;
}

ColumnSpec value(ColumnType type, unsigned size = 0) {
    return col("Value", type, 0, size);
}

} // namespace

std::vector<SystemTable> systemTables(Version v) {
    using T = ColumnType;
    // Jet3 binary columns hold at most 255 bytes, and its MSysQueries has no LvExtra.
    const bool jet3 = v == Version::Jet3;
    auto bytes = [&](const char* name) {
        ColumnSpec c = binary(name);
        if (jet3) c.size = 255;
        return c;
    };
    std::vector<SystemTable> out;
    out.push_back({"MSysObjects",
                   {col("Id", T::Long), col("ParentId", T::Long), text("Name"), col("Type", T::Integer),
                    col("DateCreate", T::DateTime), col("DateUpdate", T::DateTime), bytes("Owner"),
                    col("Flags", T::Long), col("Database", T::Memo), col("Connect", T::Memo), text("ForeignName"),
                    col("RmtInfoShort", T::Binary, kSystemColumn, jet3 ? 255 : 510), col("RmtInfoLong", T::Ole),
                    col("Lv", T::Ole), col("LvProp", T::Ole), col("LvModule", T::Ole), col("LvExtra", T::Ole)}});
    out.push_back(
        {"MSysACEs",
         {col("ObjectId", T::Long), bytes("SID"), col("ACM", T::Long), col("FInheritable", T::Boolean)}});
    std::vector<ColumnSpec> queries{col("ObjectId", T::Long),
                                    col("Attribute", T::Byte),
                                    col("Order", T::Binary, kSystemColumn, jet3 ? 255 : 510),
                                    text("Name1"),
                                    text("Name2"),
                                    col("Expression", T::Memo),
                                    col("Flag", T::Integer)};
    if (!jet3) queries.push_back(col("LvExtra", T::Long));
    out.push_back({"MSysQueries", queries});
    out.push_back(
        {"MSysRelationships",
         {text("szRelationship"), col("grbit", T::Long), col("ccolumn", T::Long), col("icolumn", T::Long),
          text("szObject"), text("szColumn"), text("szReferencedObject"), text("szReferencedColumn")}});
    if (v == Version::Jet4 || jet3) return out;

    SystemTable complexColumns{"MSysComplexColumns",
                               {text("ColumnName"), col("ComplexTypeObjectID", T::Long),
                                col("FlatTableID", T::Long), col("ConceptualTableID", T::Long),
                                col("ComplexID", T::Long, kSystemColumn | column_flag::AutoLong)}};
    complexColumns.tableType = tdef_type::User;
    complexColumns.ownerless = true;
    out.push_back(complexColumns);
    out.push_back(complexType("UnsignedByte", {value(T::Byte)}));
    out.push_back(complexType("Short", {value(T::Integer)}));
    out.push_back(complexType("Long", {value(T::Long)}));
    out.push_back(complexType("IEEESingle", {value(T::Single)}));
    out.push_back(complexType("IEEEDouble", {value(T::Double)}));
    out.push_back(complexType("GUID", {value(T::Guid)}));
    out.push_back(complexType("Decimal", {value(T::Decimal)}));
    out.push_back(complexType("Text", {value(T::Text, 255)}));
    out.push_back(
        complexType("Attachment", {col("FileURL", T::Memo, 0), col("FileName", T::Text, 0, 255),
                                   col("FileType", T::Text, 0, 255), col("FileData", T::Ole, 0),
                                   col("FileTimeStamp", T::DateTime, 0), col("FileFlags", T::Long, 0)}));
    return out;
}

std::vector<Property> databaseProperties() {
    return {textProperty("AccessVersion", "09.50")};
}

std::vector<CatalogObject> standardObjects() {
    auto accessId = [](unsigned k) { return static_cast<std::int32_t>(0x80000000u + k); };
    return {
        {object_id::TablesContainer, object_id::Root, "Tables", object_type::Container, object_flag::System},
        {object_id::DatabasesContainer, object_id::Root, "Databases", object_type::Container,
         object_flag::System},
        {object_id::RelationshipsContainer, object_id::Root, "Relationships", object_type::Container,
         object_flag::System},
        {object_id::DatabaseDocument, object_id::DatabasesContainer, "MSysDb", 2, object_flag::System},
        {accessId(0), object_id::Root, "DataAccessPages", object_type::Container, 0},
        {accessId(1), object_id::Root, "Forms", object_type::Container, 0},
        {accessId(2), object_id::Root, "Modules", object_type::Container, 0},
        {accessId(3), object_id::Root, "Reports", object_type::Container, 0},
        {accessId(4), object_id::Root, "Scripts", object_type::Container, 0},
        {accessId(5), object_id::Root, "SysRel", object_type::Container, 0},
    };
}

} // namespace jet
