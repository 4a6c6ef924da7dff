#pragma once
// The texts of the statements a run sends. The table is bracketed in ALTER TABLE and back-quoted
// elsewhere; the new column is bracketed in ALTER TABLE and bare in the assignment (the label is a
// plain name); the field reference brings its own back-quotes; a piece is always a text literal.
// How the WHERE clause writes the record's value depends on the field's type.

#include <string>
#include <string_view>
#include <vector>

namespace split {

enum class WhereForm {
    Quoted, // '...', apostrophes doubled: texts and every type not named below
    Bare,   // the number or True/False as it stands, with "," made "."
    Date,   // #...#, with "." made "/"
};

// Numbers (ADO 2, 3, 4, 5, 6, 14, 16 to 21, 131, 139) and Yes/No (11) are bare; Date/Time (7, 133)
// takes the # form; the others are quoted, Extended Date/Time (135) among them, since the data layer
// reads it as the text it is stored as and compares it as that text.
WhereForm WhereFormOf(int adoType);

// label + the decimal number j: SPLITCOLUMN1.
std::string ColumnName(const std::string& label, int j);

// Every "'" doubled.
std::string DoubledQuotes(const std::string& text);

std::string SelectFieldText(const std::string& table, const std::string& fieldReference);
std::string DropColumnText(const std::string& table, const std::string& column);
// Every value of the column made Null: a column kept to be filled again.
std::string EmptyColumnText(const std::string& table, const std::string& column);
std::string AddColumnText(const std::string& table, const std::string& column);
// The value is the record's value as text, as read; the piece as cut.
std::string UpdateText(const std::string& table, const std::string& column, std::string_view piece,
                       const std::string& fieldReference, WhereForm form, std::string_view value);
// The UPDATE texts of one table and field, made from parts kept: each column's head, and a value's
// WHERE once for all its pieces. A text stays valid until the next one is made.
class UpdateTexts {
public:
    UpdateTexts(const std::string& table, const std::string& fieldReference, WhereForm form);
    // The value whose pieces the next texts write.
    void setValue(std::string_view value);
    // The text setting `column`, the value's piece number `k` + 1 (its head kept by that number).
    const std::string& text(std::size_t k, const std::string& column, std::string_view piece);

private:
    struct Head {
        std::string column;
        std::string text; // up to the quote opening the piece
    };
    std::string table_;
    std::string fieldReference_;
    WhereForm form_;
    std::string where_; // from the quote closing the piece to the end
    std::vector<Head> heads_;
    std::string text_;
};
std::string SelectAllText(const std::string& table);

} // namespace split
