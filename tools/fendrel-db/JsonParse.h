#pragma once
// Reading JSON text into a tree, for descriptions given to fendrel-db. Numbers keep their text, so
// that large integers and decimals are not bent by a double. Errors say the line and column.

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace fendrel_db {

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text; // String: the value (UTF-8); Number: the literal as written
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members; // in the order written

    bool isInteger() const; // a Number without fraction or exponent
    double number() const;
    // The member of that name, or nullptr.
    const JsonValue* find(const std::string& name) const;
};

// Parses a whole document; throws std::runtime_error("line L, column C: ...").
JsonValue parseJson(const std::string& text);

} // namespace fendrel_db
