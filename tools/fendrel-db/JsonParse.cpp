#include "JsonParse.h"

#include <cstdlib>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace fendrel_db {

bool JsonValue::isInteger() const {
    return kind == Kind::Number && text.find_first_of(".eE") == std::string::npos;
}

double JsonValue::number() const {
    return std::strtod(text.c_str(), nullptr);
}

const JsonValue* JsonValue::find(const std::string& name) const {
    for (const auto& m : members)
        if (m.first == name) return &m.second;
    return nullptr;
}

namespace {

using Json = nlohmann::json;

// Builds the tree as nlohmann-json's parser reports what it reads. Members stay in the order
// written, repeated names included; a number keeps its text (a fraction or exponent, or digits
// beyond 64 bits, come with the text as written; a whole number's text is its value's).
class TreeBuilder : public nlohmann::json_sax<Json> {
public:
    static constexpr std::size_t MaxDepth = 64;

    JsonValue root;

    bool null() override { return put(JsonValue{}); }
    bool boolean(bool b) override {
        JsonValue v;
        v.kind = JsonValue::Kind::Boolean;
        v.boolean = b;
        return put(std::move(v));
    }
    bool number_integer(number_integer_t n) override { return number(std::to_string(n)); }
    bool number_unsigned(number_unsigned_t n) override { return number(std::to_string(n)); }
    bool number_float(number_float_t, const string_t& text) override { return number(text); }
    bool string(string_t& s) override {
        JsonValue v;
        v.kind = JsonValue::Kind::String;
        v.text = std::move(s);
        return put(std::move(v));
    }
    bool binary(binary_t&) override { return false; } // JSON text has none
    bool start_object(std::size_t) override { return open(JsonValue::Kind::Object); }
    bool key(string_t& name) override {
        open_.back()->members.emplace_back(std::move(name), JsonValue{});
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(JsonValue::Kind::Array); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
        // "[json.exception.parse_error.101] parse error at line 1, column 5: ..." -> "line 1, column 5: ..."
        std::string why = e.what();
        const std::string at = "parse error at ";
        if (auto p = why.find(at); p != std::string::npos) why.erase(0, p + at.size());
        throw std::runtime_error(why);
    }

private:
    bool number(std::string text) {
        JsonValue v;
        v.kind = JsonValue::Kind::Number;
        v.text = std::move(text);
        return put(std::move(v));
    }
    // Places a value where the parser is: the root, the next item of an array, or the value of the
    // member whose name came last. Returns where it went.
    JsonValue* place(JsonValue v) {
        if (open_.empty()) {
            root = std::move(v);
            return &root;
        }
        JsonValue& in = *open_.back();
        if (in.kind == JsonValue::Kind::Array) {
            in.items.push_back(std::move(v));
            return &in.items.back();
        }
        in.members.back().second = std::move(v);
        return &in.members.back().second;
    }
    bool put(JsonValue v) {
        place(std::move(v));
        return true;
    }
    bool open(JsonValue::Kind kind) {
        // Deeper trees are refused: nothing described here nests so, and freeing one is recursive.
        if (open_.size() >= MaxDepth) throw std::runtime_error("nested more than 64 deep");
        JsonValue v;
        v.kind = kind;
        open_.push_back(place(std::move(v)));
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    // The arrays and objects being filled, outermost first. A pointer stays valid while its value
    // is open: only the innermost open value gains items.
    std::vector<JsonValue*> open_;
};

} // namespace

JsonValue parseJson(const std::string& text) {
    TreeBuilder tree;
    Json::sax_parse(text, &tree);
    return std::move(tree.root);
}

} // namespace fendrel_db
