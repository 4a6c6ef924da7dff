#include "CreateCommand.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>

#include "JsonParse.h"
#include "jet/base/Error.h"
#include "jet/create/DatabaseCreator.h"

namespace fendrel_db {

namespace {

using jet::ColumnType;
using Kind = JsonValue::Kind;

[[noreturn]] void fail(const std::string& why) {
    throw jet::Error(why);
}

std::string inQuotes(const std::string& s) {
    return "\"" + s + "\"";
}

// The names `fendrel-db columns` prints, and the longer ones Access shows.
ColumnType typeNamed(const std::string& name) {
    static constexpr ColumnType creatable[] = {ColumnType::Boolean, ColumnType::Byte,     ColumnType::Integer,
                                               ColumnType::Long,    ColumnType::Currency, ColumnType::Single,
                                               ColumnType::Double,  ColumnType::DateTime, ColumnType::Binary,
                                               ColumnType::Text,    ColumnType::Ole,      ColumnType::Memo,
                                               ColumnType::Guid,    ColumnType::Decimal};
    for (ColumnType t : creatable)
        if (jet::columnTypeName(t) == name) return t;
    if (name == "Long" || name == "Long Integer") return ColumnType::Long;
    if (name == "OLE" || name == "OLE Object") return ColumnType::Ole;
    std::string known;
    for (ColumnType t : creatable)
        known += (known.empty() ? "" : ", ") + jet::columnTypeName(t);
    fail("unknown type " + inQuotes(name) + " (known: " + known + ")");
}

unsigned whole(const JsonValue* v, const std::string& what, unsigned fallback) {
    if (!v) return fallback;
    if (!v->isInteger() || v->text.front() == '-' || v->text.size() > 6)
        fail(what + " must be a whole number");
    return static_cast<unsigned>(std::stoul(v->text));
}

const std::string& stringMember(const JsonValue& o, const char* name, const std::string& what) {
    const JsonValue* v = o.find(name);
    if (!v || v->kind != Kind::String) fail(what + " needs \"" + name + "\" as a string");
    return v->text;
}

jet::ColumnSpec columnSpec(const JsonValue& c) {
    if (c.kind != Kind::Object) fail("a column must be an object {\"name\": ..., \"type\": ...}");
    jet::ColumnSpec s;
    s.name = stringMember(c, "name", "a column");
    try {
        s.type = typeNamed(stringMember(c, "type", "a column"));
        s.size = whole(c.find("size"), "\"size\"",
                       s.type == ColumnType::Text     ? 255
                       : s.type == ColumnType::Binary ? 510
                                                      : 0);
        s.precision = whole(c.find("precision"), "\"precision\"", 18);
        s.scale = whole(c.find("scale"), "\"scale\"", 0);
        if (const JsonValue* a = c.find("autonumber")) {
            if (a->kind != Kind::Boolean) fail("\"autonumber\" must be true or false");
            s.autoNumber = a->boolean;
        }
        if (const JsonValue* comp = c.find("compressed")) {
            if (comp->kind != Kind::Boolean) fail("\"compressed\" must be true or false");
            s.compressed = comp->boolean;
        }
    } catch (const jet::Error& e) {
        fail("column " + inQuotes(s.name) + ": " + e.what());
    }
    return s;
}

jet::Bytes fromBase64(const std::string& s) {
    jet::Bytes out;
    unsigned acc = 0;
    int bits = 0;
    for (char c : s) {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=')
            break;
        else
            fail("bad base64 text");
        acc = (acc << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>(acc >> bits));
        }
    }
    return out;
}

// A JSON value in the form `rows` prints, as the engine's value for a column of this type.
jet::Value valueFor(const jet::Column& c, const JsonValue& j) {
    using VK = jet::Value::Kind;
    jet::Value v;
    switch (j.kind) {
    case Kind::Null:
        v.kind = VK::Null;
        break;
    case Kind::Boolean:
        v.kind = VK::Boolean;
        v.boolean = j.boolean;
        break;
    case Kind::Number:
        if (c.type == ColumnType::Decimal || c.type == ColumnType::Currency) {
            v.kind = VK::Text; // exact, from the digits as written
            v.text = j.text;
        } else if (j.isInteger() && j.text.size() < 19) {
            v.kind = VK::Integer;
            v.integer = std::stoll(j.text);
        } else {
            v.kind = VK::Double;
            v.real = j.number();
        }
        break;
    case Kind::String:
        if (c.type == ColumnType::Binary || c.type == ColumnType::Ole) {
            if (j.text.rfind("base64:", 0) != 0) fail("binary values are written \"base64:...\"");
            v.kind = VK::Binary;
            v.bytes = fromBase64(j.text.substr(7));
        } else if ((c.type == ColumnType::Single || c.type == ColumnType::Double) &&
                   (j.text == "NaN" || j.text == "Infinity" || j.text == "-Infinity")) {
            v.kind = VK::Double;
            v.real = j.text == "NaN"        ? std::numeric_limits<double>::quiet_NaN()
                     : j.text == "Infinity" ? std::numeric_limits<double>::infinity()
                                            : -std::numeric_limits<double>::infinity();
        } else {
            v.kind = VK::Text;
            v.text = j.text;
        }
        break;
    default:
        fail("a value must be null, true, false, a number or a string");
    }
    return v;
}

std::string readSpec(const std::string& path) {
    std::ostringstream s;
    if (path == "-") {
        s << std::cin.rdbuf();
    } else {
        std::ifstream in(path, std::ios::binary);
        if (!in) fail(path + ": cannot open the description");
        s << in.rdbuf();
    }
    return s.str();
}

void create(const std::string& file, const JsonValue& spec, const std::string& password) {
    if (spec.kind != Kind::Object) fail("the description must be a JSON object");
    for (const auto& m : spec.members)
        if (m.first != "format" && m.first != "password" && m.first != "tables" && m.first != "codePage")
            fail("unknown member " + inQuotes(m.first));
    jet::CreateOptions options;
    const std::string& format = stringMember(spec, "format", "the description");
    if (format == "mdb")
        options.version = jet::Version::Jet4;
    else if (format == "mdb97")
        options.version = jet::Version::Jet3;
    else if (format == "accdb")
        options.version = jet::Version::Ace12;
    else
        fail("\"format\" is \"mdb\", \"mdb97\" or \"accdb\", not " + inQuotes(format));
    options.password = password;
    if (const JsonValue* cp = spec.find("codePage")) {
        if (cp->kind != Kind::Number || options.version != jet::Version::Jet3)
            fail("\"codePage\" is a number, for \"mdb97\" only");
        options.codePage = static_cast<unsigned>(cp->number());
    }
    if (const JsonValue* pw = spec.find("password")) {
        if (pw->kind != Kind::String) fail("\"password\" must be a string");
        options.password = pw->text;
    }
    const JsonValue* tables = spec.find("tables");
    if (tables && tables->kind != Kind::Array) fail("\"tables\" must be an array");

    // Everything that can be checked without writing is checked first.
    struct Planned {
        std::string name;
        std::vector<jet::ColumnSpec> columns;
        const JsonValue* rows;
    };
    std::vector<Planned> planned;
    if (tables) {
        for (const JsonValue& t : tables->items) {
            if (t.kind != Kind::Object)
                fail("each table must be an object {\"name\": ..., \"columns\": [...]}");
            Planned p;
            p.name = stringMember(t, "name", "a table");
            try {
                for (const auto& m : t.members)
                    if (m.first != "name" && m.first != "columns" && m.first != "rows")
                        fail("unknown member " + inQuotes(m.first));
                const JsonValue* cols = t.find("columns");
                if (!cols || cols->kind != Kind::Array) fail("needs \"columns\" as an array");
                for (const JsonValue& c : cols->items)
                    p.columns.push_back(columnSpec(c));
                p.rows = t.find("rows");
                if (p.rows && p.rows->kind != Kind::Array) fail("\"rows\" must be an array");
            } catch (const jet::Error& e) {
                fail("table " + inQuotes(p.name) + ": " + e.what());
            }
            planned.push_back(std::move(p));
        }
    }

    jet::DatabaseCreator creator(file, options);
    for (const Planned& p : planned) {
        jet::TableFiller& w = creator.addTable(p.name, p.columns);
        if (!p.rows) continue;
        const auto& cols = w.def().columns; // in column-number order, as declared
        std::vector<jet::Value> values(cols.size());
        std::size_t n = 0;
        for (const JsonValue& r : p.rows->items) {
            ++n;
            std::string where = "table " + inQuotes(p.name) + ", row " + std::to_string(n);
            try {
                if (r.kind == Kind::Array) {
                    if (r.items.size() != cols.size())
                        fail("has " + std::to_string(r.items.size()) + " values for " +
                             std::to_string(cols.size()) + " columns");
                    for (std::size_t i = 0; i < cols.size(); ++i) {
                        try {
                            values[i] = valueFor(cols[i], r.items[i]);
                        } catch (const jet::Error& e) {
                            fail("column " + inQuotes(cols[i].name) + ": " + e.what());
                        }
                    }
                } else if (r.kind == Kind::Object) {
                    for (const auto& m : r.members) {
                        bool known = false;
                        for (const auto& c : cols)
                            known = known || c.name == m.first;
                        if (!known) fail("no column named " + inQuotes(m.first));
                    }
                    for (std::size_t i = 0; i < cols.size(); ++i) {
                        const JsonValue* j = r.find(cols[i].name);
                        try {
                            values[i] = j ? valueFor(cols[i], *j) : jet::Value{};
                        } catch (const jet::Error& e) {
                            fail("column " + inQuotes(cols[i].name) + ": " + e.what());
                        }
                    }
                } else {
                    fail("must be an array of values or an object of column names and values");
                }
            } catch (const jet::Error& e) {
                fail(where + ": " + e.what());
            }
            try {
                w.append(values);
            } catch (const jet::Error& e) {
                fail("table " + inQuotes(p.name) + ", " + e.what());
            }
        }
    }
    creator.finish();
}

} // namespace

int runCreate(const std::string& file, const std::string& specPath, const std::string& password) {
    try {
        std::error_code ec;
        if (std::filesystem::exists(file, ec))
            fail(file + ": the file exists already; it is never overwritten");
        std::string text = readSpec(specPath);
        JsonValue spec;
        try {
            spec = parseJson(text);
        } catch (const std::runtime_error& e) {
            fail((specPath == "-" ? std::string("the description") : specPath) +
                 ": not valid JSON: " + e.what());
        }
        create(file, spec, password);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "fendrel-db: " << e.what() << "\n";
        return 1;
    }
}

} // namespace fendrel_db
