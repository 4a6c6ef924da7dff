#include "split/Statements.h"

#include <algorithm>

namespace split {

WhereForm WhereFormOf(int adoType) {
    switch (adoType) {
    case 2:   // Integer
    case 3:   // Long
    case 4:   // Single
    case 5:   // Double
    case 6:   // Currency
    case 11:  // Yes/No
    case 14:  // decimal
    case 16:  // one-byte integer
    case 17:  // Byte
    case 18:  // unsigned two-byte integer
    case 19:  // unsigned four-byte integer
    case 20:  // Large Number
    case 21:  // unsigned eight-byte integer
    case 131: // Decimal
    case 139: // variable-length number
        return WhereForm::Bare;
    case 7:   // Date/Time
    case 133: // date
        return WhereForm::Date;
    // Extended Date/Time (135) is read, and compared, as the text it is stored as: quoted.
    default:
        return WhereForm::Quoted;
    }
}

std::string ColumnName(const std::string& label, int j) {
    return label + std::to_string(j);
}

std::string DoubledQuotes(const std::string& text) {
    if (text.find('\'') == std::string::npos) return text;
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

std::string SelectFieldText(const std::string& table, const std::string& fieldReference) {
    return "SELECT " + fieldReference + " FROM `" + table + "`";
}

std::string DropColumnText(const std::string& table, const std::string& column) {
    return "ALTER TABLE [" + table + "] DROP [" + column + "]";
}

std::string EmptyColumnText(const std::string& table, const std::string& column) {
    return "UPDATE `" + table + "` SET " + column + " = NULL";
}

std::string AddColumnText(const std::string& table, const std::string& column) {
    return "ALTER TABLE [" + table + "] ADD COLUMN [" + column + "] VARCHAR";
}

std::string UpdateText(const std::string& table, const std::string& column, const std::string& piece,
                       const std::string& fieldReference, WhereForm form, const std::string& value) {
    std::string text = "UPDATE `" + table + "` SET " + column + "='" + DoubledQuotes(piece) + "' WHERE " +
                       fieldReference + " = ";
    switch (form) {
    case WhereForm::Bare: {
        std::string v = value;
        std::replace(v.begin(), v.end(), ',', '.');
        return text + v;
    }
    case WhereForm::Date: {
        std::string v = value;
        std::replace(v.begin(), v.end(), '.', '/');
        return text + "#" + v + "#";
    }
    case WhereForm::Quoted:
        break;
    }
    return text + "'" + DoubledQuotes(value) + "'";
}

std::string SelectAllText(const std::string& table) {
    return "SELECT * FROM `" + table + "`;";
}

} // namespace split
