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


UpdateTexts::UpdateTexts(const std::string& table, const std::string& fieldReference, WhereForm form)
    : table_(table), fieldReference_(fieldReference), form_(form) {}

void UpdateTexts::setValue(std::string_view value) {
    std::string& out = where_;
    out.assign("' WHERE ").append(fieldReference_).append(" = ");
    const std::size_t at = out.size();
    switch (form_) {
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

const std::string& UpdateTexts::text(std::size_t k, const std::string& column, std::string_view piece) {
    if (k >= heads_.size()) heads_.resize(k + 1);
    Head& head = heads_[k];
    if (head.text.empty() || head.column != column) {
        head.column = column;
        head.text.assign("UPDATE `").append(table_).append("` SET ").append(column).append("='");
    }
    text_.assign(head.text);
    appendDoubledQuotes(text_, piece);
    text_.append(where_);
    return text_;
}

std::string UpdateText(const std::string& table, const std::string& column, std::string_view piece,
                       const std::string& fieldReference, WhereForm form, std::string_view value) {
    UpdateTexts texts(table, fieldReference, form);
    texts.setValue(value);
    return texts.text(0, column, piece);
}

std::string SelectAllText(const std::string& table) {
    return "SELECT * FROM `" + table + "`;";
}

} // namespace split
