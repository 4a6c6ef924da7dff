#pragma once
// Access files for the wizard's tests, made by the engine. What they hold is read back with the
// split tests' helpers (split/SplitSupport.h).

#include "jet/create/DatabaseCreator.h"

#include <QDir>
#include <QString>

#include <string>
#include <vector>

namespace wizardtest {

struct TableSpec {
    std::string name;
    std::vector<jet::ColumnSpec> columns;
    std::vector<std::vector<jet::Value>> rows;
};

inline jet::Value text(const std::string& s) {
    return jet::Value::ofText(s);
}

// Makes the database `file` in `folder` and returns its path.
inline QString MakeDatabase(const QString& folder, const QString& file, const std::vector<TableSpec>& tables,
                            const std::string& password = "", jet::Version version = jet::Version::Jet4) {
    const QString path = QDir(folder).filePath(file);
    jet::CreateOptions options;
    options.version = version;
    options.password = password;
    jet::DatabaseCreator creator(path.toStdString(), options);
    for (const TableSpec& t : tables) {
        auto& filler = creator.addTable(t.name, t.columns);
        for (const auto& row : t.rows)
            filler.append(row);
    }
    creator.finish();
    return path;
}

// People(ID, Name, Address) and Orders(OrderID, Item): the tables of a small shop.
inline QString MakeShop(const QString& folder, const QString& file = "shop.mdb", const std::string& password = "") {
    TableSpec people{"People",
                     {{"ID", jet::ColumnType::Long}, {"Name", jet::ColumnType::Text, 50},
                      {"Address", jet::ColumnType::Text, 255}},
                     {}};
    const char* rows[][2] = {{"Ann", "1 High Street,Leeds,LS1 1AA"},
                             {"Bob", "2 Low Road,York"},
                             {"Cy", "Nowhere"}};
    int id = 1;
    for (const auto& row : rows)
        people.rows.push_back({jet::Value::ofInteger(id++), text(row[0]), text(row[1])});
    TableSpec orders{"Orders", {{"OrderID", jet::ColumnType::Long}, {"Item", jet::ColumnType::Text, 50}}, {}};
    orders.rows.push_back({jet::Value::ofInteger(7), text("Tea, Cups")});
    return MakeDatabase(folder, file, {people, orders}, password);
}

} // namespace wizardtest
