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

namespace {

// Appends `text` with every "'" doubled.
void appendDoubledQuotes(std::string& out, std::string_view text) {
    for (std::size_t from = 0;;) {
        const std::size_t quote = text.find('\'', from);
        if (quote == std::string_view::npos) {
            out.append(text.substr(from));
            return;
        }
        out.append(text.substr(from, quote + 1 - from));
        out += '\'';
        from = quote + 1;
    }
}

} // namespace

std::string DoubledQuotes(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    appendDoubledQuotes(out, text);
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


void UpdateTextInto(std::string& out, const std::string& table, const std::string& column, std::string_view piece,
                    const std::string& fieldReference, WhereForm form, std::string_view value) {
    out.clear();
    out.append("UPDATE `").append(table).append("` SET ").append(column).append("='");
    appendDoubledQuotes(out, piece);
    out.append("' WHERE ").append(fieldReference).append(" = ");
    const std::size_t at = out.size();
    switch (form) {
    case WhereForm::Bare:
        out.append(value);
        std::replace(out.begin() + static_cast<std::ptrdiff_t>(at), out.end(), ',', '.');
        return;
    case WhereForm::Date:
        out += '#';
        out.append(value);
        std::replace(out.begin() + static_cast<std::ptrdiff_t>(at), out.end(), '.', '/');
        out += '#';
        return;
    case WhereForm::Quoted:
        break;
    }
    out += '\'';
    appendDoubledQuotes(out, value);
    out += '\'';
}

std::string UpdateText(const std::string& table, const std::string& column, std::string_view piece,
                       const std::string& fieldReference, WhereForm form, std::string_view value) {
    std::string out;
    UpdateTextInto(out, table, column, piece, fieldReference, form, value);
    return out;
}

std::string SelectAllText(const std::string& table) {
    return "SELECT * FROM `" + table + "`;";
}

} // namespace split
