#pragma once
// The statements the program sends, as the parser hands them to the executor.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace db::sql {

struct Literal {
    enum class Kind { Text, Number, Date, Boolean, Null };
    Kind kind = Kind::Null;
    std::string text;      // Text: the value; Number: its digits as written (sign included)
    double number = 0;     // Number: the value as a double
    bool integral = false; // Number: written without a point or exponent, and fits 64 bits
    std::int64_t integer = 0;
    double days = 0;      // Date: days since 1899-12-30
    bool boolean = false; // Boolean
};

struct Select {
    bool allColumns = false;
    std::vector<std::string> columns;
    std::string table;
};

struct AddColumn {
    std::string table;
    std::string column;
    int size = 255; // VARCHAR or TEXT without a length: the default text length
};

struct DropColumn {
    std::string table;
    std::string column;
};

struct Assignment {
    std::string column;
    Literal value;
};

struct Condition {
    std::string column;
    Literal value;
};

struct Update {
    std::string table;
    std::vector<Assignment> assignments;
    std::optional<Condition> where;
};

using Statement = std::variant<Select, AddColumn, DropColumn, Update>;

} // namespace db::sql
