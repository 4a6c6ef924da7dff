#include "ExecCommand.h"

#include "Json.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/JetValues.h"
#include "db/sql/Parser.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace fendrel_db {

namespace {

std::string connectionString(const std::string& file, const std::string& password) {
    // The ACE provider opens every version; the file's own header tells which it is.
    return "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + db::quotedValue(file) +
           ";JET OLEDB:Database Password=" + db::quotedValue(password);
}

void printRows(ADODB::RecordSet& rs) {
    const jet::Column anyColumn; // a Text column: values keep their own kind
    std::string line;
    for (; !rs.Eof(); rs.MoveNext()) {
        line = "{";
        const ADODB::FieldList fields = rs.Fields();
        for (int i = 0; i < fields.count(); ++i) {
            if (i) line += ",";
            appendJsonString(line, fields(i).Name());
            line += ":";
            appendJsonValue(line, db::toJetValue(fields(i).Value(), anyColumn));
        }
        line += "}\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
}

int execOne(const std::string& file, const std::string& sql, const std::string& password) {
    const bool select = std::holds_alternative<db::sql::Select>(db::sql::parse(sql));
    ADODB::Connection cn;
    if (!select) cn.Mode = ADODB::adModeReadWrite;
    cn.Open(connectionString(file, password));
    if (!select) {
        cn.Execute(sql);
        cn.Close(); // the statement in the file and synced, or an error
        return 0;
    }
    ADODB::RecordSet rs;
    rs.Open(sql, cn, ADODB::adOpenStatic, ADODB::adLockReadOnly);
    printRows(rs);
    return 0;
}

int execFile(const std::string& file, const std::string& script, const std::string& password) {
    std::ifstream in;
    if (script != "-") {
        if (const std::string why = scriptRefusal(script); !why.empty()) {
            std::cerr << "fendrel-db: " << why << "\n";
            return 1;
        }
        in.open(script);
        if (!in) {
            std::cerr << "fendrel-db: cannot read " << script << "\n";
            return 1;
        }
    }
    std::istream& lines = script == "-" ? std::cin : in;
    ADODB::Connection cn;
    cn.Mode = ADODB::adModeReadWrite;
    cn.Open(connectionString(file, password));
    const auto start = std::chrono::steady_clock::now();
    std::size_t count = 0, lineNo = 0;
    std::string line;
    while (std::getline(lines, line)) {
        ++lineNo;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        try {
            cn.Execute(line);
        } catch (const db::Error& e) {
            std::cerr << "fendrel-db: line " << lineNo << ": " << e.description() << "\n";
            // The statements before it stay done: they go to the file as the connection closes.
            try {
                cn.Close();
            } catch (const db::Error& c) {
                std::cerr << "fendrel-db: " << c.description() << "\n";
            }
            return 1;
        }
        ++count;
    }
    cn.Close();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("statements %zu  seconds %.3f\n", count, seconds);
    return 0;
}

// Runs a command, its data-layer errors printed to stderr with exit status 1.
template <class F> int guarded(F run) {
    try {
        return run();
    } catch (const db::Error& e) {
        std::cerr << "fendrel-db: " << e.description() << "\n";
        return 1;
    }
}

} // namespace

std::string scriptRefusal(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || status.type() == std::filesystem::file_type::regular) return ""; // missing: said on opening
    return path + " is not a regular file, so it is not read as a script";
}

int runExec(const std::string& file, const std::string& sql, const std::string& password) {
    return guarded([&] { return execOne(file, sql, password); });
}

int runExecFile(const std::string& file, const std::string& script, const std::string& password) {
    return guarded([&] { return execFile(file, script, password); });
}

} // namespace fendrel_db
