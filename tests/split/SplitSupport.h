#pragma once
// What the split's tests share: databases made by the engine, a run with an observer that keeps
// everything it is told, the rows read back through the data layer, and the cross-check of a table
// by mdb-reader.

#include "db/Connection.h"
#include "db/ValueText.h"
#include "jet/create/DatabaseCreator.h"
#include "split/Run.h"
#include "support/TempDir.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace splittest {

using testsupport::TempDir;

inline jet::Value text(const std::string& s) {
    return jet::Value::ofText(s);
}
inline jet::Value null() {
    return jet::Value{};
}

// A database with one table, made by the engine.
inline std::string makeTable(const TempDir& dir, const std::string& table,
                             const std::vector<jet::ColumnSpec>& columns,
                             const std::vector<std::vector<jet::Value>>& rows,
                             jet::Version version = jet::Version::Jet4, const std::string& file = "") {
    const std::string path = dir.file(!file.empty()                   ? file
                                      : version == jet::Version::Jet4 || version == jet::Version::Jet3
                                          ? "split.mdb"
                                                                      : "split.accdb");
    jet::CreateOptions options;
    options.version = version;
    jet::DatabaseCreator creator(path, options);
    auto& t = creator.addTable(table, columns);
    for (const auto& row : rows)
        t.append(row);
    creator.finish();
    return path;
}

// A table T of one field (Text "Value" unless told) holding the texts given (std::nullopt for Null).
inline std::string makeValues(const TempDir& dir, const std::vector<std::optional<std::string>>& values,
                              jet::Version version = jet::Version::Jet4,
                              jet::ColumnSpec field = {"Value", jet::ColumnType::Text, 255}) {
    std::vector<std::vector<jet::Value>> rows;
    for (const auto& v : values)
        rows.push_back({v ? text(*v) : null()});
    return makeTable(dir, "T", {field}, rows, version);
}

inline std::string connectionString(const std::string& path) {
    return "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + path + ";JET OLEDB:Database Password=";
}

// An observer that keeps what it is told; it can stop the run after a number of yields.
struct Recorder : split::Observer {
    std::vector<split::Progress> progress;
    std::vector<std::string> statements;
    std::vector<split::Failure> failures;
    long yields = 0;
    long stopAfterYields = -1;
    int ends = 0;
    split::Result end;

    void onProgress(const split::Progress& p) override { progress.push_back(p); }
    void onStatement(const std::string& s) override { statements.push_back(s); }
    void onFailure(const split::Failure& f) override { failures.push_back(f); }
    bool onYield() override {
        ++yields;
        return stopAfterYields < 0 || yields <= stopAfterYields;
    }
    void onEnd(const split::Result& r) override {
        ++ends;
        end = r;
    }
    std::string failureTexts() const {
        std::string all;
        for (const auto& f : failures)
            all += std::to_string(static_cast<int>(f.step)) + ": " + f.description + "\n";
        return all;
    }
};

inline split::Result runSplit(const std::string& path, const std::string& table, const std::string& field,
                              const split::Separator& separator, Recorder& recorder,
                              const std::string& label = "SPLITCOLUMN",
                              split::Mode mode = split::Mode::Split) {
    split::Inputs in;
    in.connectionString = connectionString(path);
    in.table = table;
    in.fieldReference = "`" + field + "`";
    in.separator = separator;
    in.label = label;
    return split::Run(in, recorder, mode);
}

// The table as the data layer reads it: a header row of the field names, then every row, each value
// as its text form ("<null>" for Null).
inline std::vector<std::vector<std::string>> readTable(const std::string& path, const std::string& table) {
    ADODB::Connection cn;
    cn.Open(connectionString(path));
    ADODB::RecordSet rs;
    rs.Open("SELECT * FROM `" + table + "`;", cn, ADODB::adOpenKeyset, ADODB::adLockReadOnly);
    std::vector<std::vector<std::string>> rows(1);
    for (int i = 0; i < rs.Fields().count(); ++i)
        rows[0].push_back(rs.Fields()(i).Name());
    for (; !rs.Eof(); rs.MoveNext()) {
        std::vector<std::string> row;
        for (int i = 0; i < rs.Fields().count(); ++i)
            row.push_back(db::valueText(rs.Fields()(i).Value()).value_or("<null>"));
        rows.push_back(row);
    }
    return rows;
}

// One column of readTable's result by its name, header left out.
inline std::vector<std::string> column(const std::vector<std::vector<std::string>>& rows,
                                       const std::string& name) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < rows[0].size() && rows[0][at] != name)
        ++at;
    for (std::size_t r = 1; r < rows.size(); ++r)
        out.push_back(at < rows[r].size() ? rows[r][at] : "<no column " + name + ">");
    return out;
}

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string runCommand(const std::string& command, int& status) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    std::array<char, 4096> buf{};
    while (auto n = std::fread(buf.data(), 1, buf.size(), pipe.get()))
        out.append(buf.data(), n);
    status = ::pclose(pipe.release());
    return out;
}

// mdb-reader's reading of the table compared cell for cell with this engine's (fendrel-db rows):
// "" when they agree, the difference otherwise; nullopt when mdb-reader is not installed.
inline std::optional<std::string> oracleDifference(const std::string& path, const std::string& table) {
    const std::string dir = FENDREL_ORACLE_DIR;
    if (!std::filesystem::exists(dir + "/node_modules/mdb-reader")) return std::nullopt;
    int status = 0;
    const std::string out =
        runCommand(std::string("'") + FENDREL_DB_TOOL + "' '" + path + "' rows '" + table + "' | node '" +
                       dir + "/oracle.mjs' compare --any-order '" + path + "' '" + table + "' - 2>&1",
                   status);
    return status == 0 ? std::string()
                       : "mdb-reader differs (status " + std::to_string(status) + "):\n" + out;
}

} // namespace splittest

// Reads the table back through mdb-reader and fails the test when it disagrees with this engine.
#define EXPECT_ORACLE_AGREES(path, table)                                                                    \
    do {                                                                                                     \
        if (auto diff = splittest::oracleDifference((path), (table)))                                        \
            EXPECT_EQ(*diff, "");                                                                            \
        else                                                                                                 \
            std::fprintf(stderr, "mdb-reader is not installed: %s was not read back by it\n", (table));      \
    } while (0)
