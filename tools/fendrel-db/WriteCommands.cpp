#include "WriteCommands.h"

#include "ExecCommand.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "jet/base/Error.h"
#include "jet/format/NameMatch.h"
#include "jet/write/DatabaseWriter.h"

namespace fendrel_db {

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> out;
    std::size_t at = 0;
    for (;;) {
        std::size_t tab = line.find('\t', at);
        out.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
        if (tab == std::string::npos) return out;
        at = tab + 1;
    }
}

std::size_t columnAt(jet::DatabaseWriter& w, const std::string& table, const std::string& column) {
    const auto& cols = w.table(table)->columns;
    for (std::size_t i = 0; i < cols.size(); ++i)
        if (jet::sameNameIgnoringCase(cols[i].name, column)) return i;
    throw jet::Error("table " + table + " has no column named \"" + column + "\"");
}

// The value a script gives for a column: Null, a whole number for number columns, else text.
jet::Value valueFor(const jet::Column& c, const std::string& text) {
    jet::Value v;
    if (text == "\\N") return v;
    using T = jet::ColumnType;
    if (c.type == T::Byte || c.type == T::Integer || c.type == T::Long || c.type == T::BigInt) {
        v.kind = jet::Value::Kind::Integer;
        v.integer = std::stoll(text);
    } else {
        v.kind = jet::Value::Kind::Text;
        v.text = text;
    }
    return v;
}

unsigned sizeArg(const std::string& s) {
    std::size_t used = 0;
    unsigned long n = std::stoul(s, &used);
    if (used != s.size() || n > 100000) throw jet::Error("\"" + s + "\" is not a column size");
    return static_cast<unsigned>(n);
}

void runLine(jet::DatabaseWriter& w, const std::vector<std::string>& f) {
    const std::string& op = f[0];
    auto need = [&](std::size_t n) {
        if (f.size() != n) throw jet::Error(op + " takes " + std::to_string(n - 1) + " fields");
    };
    if (op == "update") {
        need(5);
        std::size_t col = columnAt(w, f[1], f[3]);
        w.update(f[1], std::stoull(f[2]), {{col, valueFor(w.table(f[1])->columns[col], f[4])}});
    } else if (op == "add-column") {
        need(4);
        w.addTextColumn(f[1], f[2], sizeArg(f[3]));
    } else if (op == "drop-column") {
        need(3);
        w.dropColumn(f[1], f[2]);
    } else if (op == "fill") {
        need(4);
        std::size_t col = columnAt(w, f[1], f[2]);
        jet::Value v = valueFor(w.table(f[1])->columns[col], f[3]);
        std::vector<jet::RowKey> keys;
        w.scan(f[1], col, [&](jet::RowKey k, const jet::Value&) { keys.push_back(k); });
        w.beginBatch();
        for (jet::RowKey k : keys)
            w.update(f[1], k, {{col, v}});
        w.commit();
    } else if (op == "batch") {
        need(1);
        w.beginBatch();
    } else if (op == "commit") {
        need(1);
        w.commit();
    } else {
        throw jet::Error("unknown change \"" + op + "\"");
    }
}

int runScript(jet::DatabaseWriter& w, std::istream& in) {
    std::string line;
    std::size_t n = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        ++n;
        try {
            runLine(w, splitTabs(line));
        } catch (const std::exception& e) {
            std::cerr << "fendrel-db: change " << n << ": " << e.what() << "\n";
            return 1;
        }
        std::printf("ok %zu\n", n);
        std::fflush(stdout);
    }
    w.commit();
    return 0;
}

} // namespace

namespace {

// Runs a command, its errors printed to stderr with exit status 1.
template <class F> int guarded(F run) {
    try {
        return run();
    } catch (const std::exception& e) {
        std::cerr << "fendrel-db: " << e.what() << "\n";
        return 1;
    }
}

jet::OpenOptions withPassword(const std::string& password) {
    jet::OpenOptions options;
    options.password = password;
    return options;
}

} // namespace

int runKeys(const std::string& file, const std::string& table, const std::string& password) {
    return guarded([&] {
        auto db = jet::Database::open(file, withPassword(password));
        jet::RowReader reader = db->rows(table);
        std::vector<jet::FieldBytes> fields;
        jet::RowId id;
        std::string out;
        while (reader.nextFields(fields, &id))
            out += std::to_string(jet::rowKeyOf(id)) + "\n";
        std::fwrite(out.data(), 1, out.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    });
}

int runAddColumn(const std::string& file, const std::string& table, const std::string& name, unsigned size,
                 const std::string& password) {
    return guarded([&] {
        jet::DatabaseWriter(file, withPassword(password)).addTextColumn(table, name, size);
        return 0;
    });
}

int runDropColumn(const std::string& file, const std::string& table, const std::string& name,
                  const std::string& password) {
    return guarded([&] {
        jet::DatabaseWriter(file, withPassword(password)).dropColumn(table, name);
        return 0;
    });
}

int runApply(const std::string& file, const std::string& script, const std::string& password) {
    return guarded([&] {
        jet::DatabaseWriter w(file, withPassword(password));
        if (script == "-") return runScript(w, std::cin);
        if (const std::string why = scriptRefusal(script); !why.empty()) throw jet::Error(why);
        std::ifstream in(script);
        if (!in) throw jet::Error(script + ": cannot open the script");
        return runScript(w, in);
    });
}

} // namespace fendrel_db
