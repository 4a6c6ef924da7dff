#include "jet/read/Relationships.h"

#include "jet/format/NameMatch.h"

namespace jet {

namespace {
constexpr const char* kTable = "MSysRelationships";
}

std::optional<std::string> relationshipUsing(Database& db, const std::string& table,
                                             const std::string& column) {
    bool present = false;
    for (const auto& e : db.catalog())
        present = present || (e.isTable() && sameNameIgnoringCase(e.name, kTable));
    if (!present) return std::nullopt;
    RowReader rows = db.rows(kTable);
    const auto& cols = rows.def().columns;
    auto at = [&](const char* name) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < cols.size(); ++i)
            if (sameNameIgnoringCase(cols[i].name, name)) return i;
        return std::nullopt;
    };
    auto object = at("szObject"), col = at("szColumn"), refObject = at("szReferencedObject"),
         refColumn = at("szReferencedColumn"), name = at("szRelationship");
    if (!object || !col || !refObject || !refColumn) return std::nullopt;
    std::vector<Value> values;
    auto is = [&](std::size_t i, const std::string& want) {
        return values[i].kind == Value::Kind::Text && sameNameIgnoringCase(values[i].text, want);
    };
    while (rows.next(values)) {
        if ((is(*object, table) && is(*col, column)) || (is(*refObject, table) && is(*refColumn, column)))
            return name && values[*name].kind == Value::Kind::Text ? values[*name].text
                                                                   : std::string("(unnamed)");
    }
    return std::nullopt;
}

} // namespace jet
