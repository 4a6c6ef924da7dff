// fendrel-db: looks inside an Access database with Fendrel's own engine.
//
//   fendrel-db [--password PW] FILE tables          NAME<TAB>TABLE_TYPE per catalog object
//   fendrel-db [--password PW] FILE columns TABLE   NAME<TAB>TYPE<TAB>SIZE per column
//   fendrel-db [--password PW] FILE rows TABLE      one JSON object per row
//
// Errors go to stderr with exit status 1; usage errors exit with 2.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "CreateCommand.h"
#include "ExecCommand.h"
#include "Json.h"
#include "WriteCommands.h"
#include "jet/read/Database.h"

namespace {

const char* kUsage =
    "usage: fendrel-db [--password PW] FILE tables|columns TABLE|rows TABLE|create SPEC.json|keys TABLE|\n"
    "       add-column TABLE NAME [SIZE]|drop-column TABLE NAME|apply SCRIPT|\n"
    "       exec \"SQL\"|exec-file SCRIPT\n";

int usage(const std::string& why) {
    std::cerr << "fendrel-db: " << why << "\n" << kUsage;
    return 2;
}

// A column's size: the most characters for Text, 0 for Memo, OLE and Complex (and Yes/No, which
// takes no bytes in a row), the stored size in bytes otherwise.
std::size_t displaySize(const jet::Database& db, const jet::Column& c) {
    using T = jet::ColumnType;
    if (c.type == T::Text) return db.format().jet3 ? c.length : c.length / 2u;
    if (jet::isLongValue(c.type) || c.type == T::Complex || c.type == T::Boolean) return 0;
    return c.length;
}

void flush(std::string& buf, bool force) {
    if (buf.size() >= (1u << 16) || force) {
        std::fwrite(buf.data(), 1, buf.size(), stdout);
        buf.clear();
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    jet::OpenOptions options;
    if (!args.empty() && args[0] == "--password") {
        if (args.size() < 2) return usage("--password needs a value");
        options.password = args[1];
        args.erase(args.begin(), args.begin() + 2);
    } else if (!args.empty() && args[0].rfind("--password=", 0) == 0) {
        options.password = args[0].substr(11);
        args.erase(args.begin());
    }
    if (args.size() < 2) return usage("missing arguments");
    const std::string& file = args[0];
    const std::string& command = args[1];
    if (command == "tables") {
        if (args.size() != 2) return usage("tables takes no further arguments");
    } else if (command == "create") {
        if (args.size() != 3) return usage("create needs exactly one SPEC.json (or - for stdin)");
        return fendrel_db::runCreate(file, args[2], options.password);
    } else if (fendrel_db::isExecCommand(command)) {
        return fendrel_db::runExecCommand(
            command, file, std::vector<std::string>(args.begin() + 2, args.end()), options.password);
    } else if (fendrel_db::isWriteCommand(command)) {
        return fendrel_db::runWriteCommand(file, std::vector<std::string>(args.begin() + 1, args.end()),
                                           options.password);
    } else if (command == "columns" || command == "rows") {
        if (args.size() != 3) return usage(command + " needs exactly one TABLE");
    } else {
        return usage("unknown command \"" + command + "\"");
    }

    try {
        auto db = jet::Database::open(file, options);
        std::string out;
        if (command == "tables") {
            for (const auto& e : db->catalog())
                out += e.name + "\t" + e.tableType + "\n";
            flush(out, true);
        } else if (command == "columns") {
            auto def = db->table(args[2]);
            for (const auto& c : def->columns)
                out += c.name + "\t" + jet::columnTypeName(c.type) + "\t" +
                       std::to_string(displaySize(*db, c)) + "\n";
            flush(out, true);
        } else {
            jet::RowReader reader = db->rows(args[2]);
            const auto& cols = reader.def().columns;
            std::vector<std::string> keys;
            for (const auto& c : cols) {
                std::string k;
                fendrel_db::appendJsonString(k, c.name);
                keys.push_back(k + ":");
            }
            std::vector<jet::Value> values;
            while (reader.next(values)) {
                out.push_back('{');
                for (std::size_t i = 0; i < cols.size(); ++i) {
                    if (i) out.push_back(',');
                    out += keys[i];
                    fendrel_db::appendJsonValue(out, values[i]);
                }
                out += "}\n";
                flush(out, false);
            }
            flush(out, true);
        }
        if (std::fflush(stdout) != 0) {
            std::cerr << "fendrel-db: cannot write the output\n";
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::cerr << "fendrel-db: " << e.what() << "\n";
        return 1;
    }
}
