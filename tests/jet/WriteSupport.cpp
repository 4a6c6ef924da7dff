#include "WriteSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "jet/base/Error.h"
#include "jet/read/Database.h"

namespace writetest {

jet::Value text(const std::string& s) {
    return jet::Value::ofText(s);
}

jet::Value integer(std::int64_t n) {
    return jet::Value::ofInteger(n);
}

std::string show(const jet::Value& v) {
    using K = jet::Value::Kind;
    switch (v.kind) {
    case K::Null:
        return "null";
    case K::Boolean:
        return v.boolean ? "true" : "false";
    case K::Integer:
    case K::Currency:
    case K::ComplexId:
        return std::to_string(v.integer);
    case K::Single:
    case K::Double:
    case K::DateTime:
        return std::to_string(v.real);
    case K::Binary:
        return std::string(v.bytes.begin(), v.bytes.end());
    default:
        return "'" + v.text;
    }
}

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const jet::Error& e) {
        return e.what();
    }
    return "";
}

std::vector<char> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void makePeople(const std::string& path, std::size_t rows, jet::Version version, std::size_t nameLength) {
    using T = jet::ColumnType;
    jet::CreateOptions o;
    o.version = version;
    jet::DatabaseCreator c(path, o);
    auto& t = c.addTable("People", {{"ID", T::Long},
                                    {"Name", T::Text, 50},
                                    {"City", T::Text, 100},
                                    {"Notes", T::Memo},
                                    {"Score", T::Double}});
    for (std::size_t i = 0; i < rows; ++i) {
        jet::Value score;
        score.kind = jet::Value::Kind::Double;
        score.real = static_cast<double>(i) / 4;
        std::string name = "N" + std::to_string(i);
        name.resize(std::max(name.size(), nameLength), 'x');
        t.append({integer(static_cast<std::int64_t>(i)), text(name),
                  i % 3 ? text("City " + std::to_string(i % 17)) : jet::Value{},
                  i % 5 ? jet::Value{} : text("a note on row " + std::to_string(i)), score});
    }
    c.finish();
}

std::map<jet::RowKey, std::vector<std::string>> readTable(const std::string& path, const std::string& table) {
    auto db = jet::Database::open(path);
    jet::RowReader r = db->rows(table);
    std::map<jet::RowKey, std::vector<std::string>> out;
    std::vector<jet::FieldBytes> fields;
    jet::RowId id;
    while (r.nextFields(fields, &id)) {
        std::vector<std::string> row;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            jet::Value v;
            jet::decodeValue(db->pager(), r.def().columns[i], fields[i], db->codePage(), v);
            row.push_back(show(v));
        }
        out[jet::rowKeyOf(id)] = row;
    }
    return out;
}

std::string dataPageProblems(const std::string& path) {
    auto db = jet::Database::open(path);
    const jet::Format& f = db->format();
    std::string out;
    for (std::uint32_t n = 1; n < db->pager().pageCount(); ++n) {
        jet::PageRef p = db->pager().page(n);
        if (p->type() != jet::page_type::Data) continue;
        jet::ByteView v = p->view();
        const unsigned rows = jet::dataPageRowCount(f, v);
        std::size_t lowest = v.size();
        for (unsigned i = 0; i < rows; ++i) {
            jet::RowSlot s = jet::dataPageRow(f, v, i);
            if (s.fits && s.end > s.start) lowest = std::min(lowest, s.start);
        }
        const std::size_t table = f.dataRowCount + 2 + 2 * std::size_t{rows};
        if (lowest < table || v.u16(2) != lowest - table)
            out += "page " + std::to_string(n) + ": free-space field " + std::to_string(v.u16(2)) +
                   ", rows leave " + std::to_string(lowest < table ? 0 : lowest - table) + "\n";
    }
    return out;
}

std::string fixture(const std::string& name) {
    std::string p = testsupport::accessFixture(name);
    return std::filesystem::exists(p) ? p : "";
}

namespace {

std::string script() {
    return std::string(FENDREL_SOURCE_DIR) + "/tests/jet/write_check.py";
}

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string run(const std::string& mode, const std::string& db, const std::string& table,
                const std::string& dir, const std::vector<std::string>& args) {
    std::string cmd = "FENDREL_BIN=" + quote(std::filesystem::path(FENDREL_DB_TOOL).parent_path().string()) +
                      " FENDREL_ORACLE_DIR=" + quote(FENDREL_ORACLE_DIR) + " python3 " + quote(script()) +
                      " " + mode + " " + quote(db) + " " + quote(table) + " " + quote(dir);
    for (const auto& a : args)
        cmd += " " + quote(a);
    cmd += " 2>&1";
    std::string out;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        int status = ::pclose(p);
        if (status == 0) return "";
        return out.empty() ? "write_check.py failed" : out;
    }
    return "cannot run write_check.py";
}

} // namespace

bool haveCheckers() {
    return std::system("python3 -c '' >/dev/null 2>&1") == 0 &&
           std::system("command -v mdb-export >/dev/null 2>&1") == 0 &&
           std::filesystem::exists(std::filesystem::path(FENDREL_ORACLE_DIR) / "node_modules");
}

void snapshot(const std::string& db, const std::string& table, const std::string& dir,
              const std::vector<std::string>& args) {
    std::string err = run("snap", db, table, dir, args);
    if (!err.empty()) throw std::runtime_error(err);
}

std::string checkAgainst(const std::string& db, const std::string& table, const std::string& dir,
                         const std::vector<std::string>& args, const std::string& mode) {
    return run(mode, db, table, dir, args);
}

} // namespace writetest
