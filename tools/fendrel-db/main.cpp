// fendrel-db: looks inside an Access database with Fendrel's own engine, creates one from a JSON
// description, and changes one in place. `fendrel-db --help` lists the commands, and
// `fendrel-db COMMAND --help` tells one's arguments.
//
// Errors go to stderr with exit status 1; usage errors exit with 2.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "CreateCommand.h"
#include "ExecCommand.h"
#include "Json.h"
#include "WriteCommands.h"
#include "jet/read/Database.h"

namespace {

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

enum class Look { Tables, Columns, Rows };

// `tables`, `columns TABLE` and `rows TABLE`.
int look(Look what, const std::string& file, const std::string& table, const std::string& password) {
    try {
        jet::OpenOptions options;
        options.password = password;
        auto db = jet::Database::open(file, options);
        std::string out;
        if (what == Look::Tables) {
            for (const auto& e : db->catalog())
                out += e.name + "\t" + e.tableType + "\n";
        } else if (what == Look::Columns) {
            const auto def = db->table(table); // held: the loop runs over its columns
            for (const auto& c : def->columns)
                out += c.name + "\t" + jet::columnTypeName(c.type) + "\t" +
                       std::to_string(displaySize(*db, c)) + "\n";
        } else {
            jet::RowReader reader = db->rows(table);
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
        }
        flush(out, true);
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

} // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Looks inside an Access database (.mdb or .accdb) with Fendrel's own engine, creates one, or "
        "changes one in place.",
        "fendrel-db"};
    app.require_subcommand(1);
    app.fallthrough(); // --password may also come after the command
    std::string password, file;
    app.add_option("--password", password, "the database password");
    app.add_option("FILE", file, "the database file")->required();

    // Each run parses one command, so the commands share these.
    std::string table, name, path, sql;
    unsigned size = 255;
    auto needsTable = [&](CLI::App* c) { c->add_option("TABLE", table, "the table")->required(); };

    CLI::App* tables = app.add_subcommand("tables", "NAME<TAB>TABLE_TYPE for each object of the catalog");
    CLI::App* columns = app.add_subcommand("columns", "NAME<TAB>TYPE<TAB>SIZE for each column of TABLE");
    needsTable(columns);
    CLI::App* rows = app.add_subcommand("rows", "one JSON object a row of TABLE, in storage order");
    needsTable(rows);
    CLI::App* keys = app.add_subcommand("keys", "each row's key, one a line, in storage order");
    needsTable(keys);
    CLI::App* create = app.add_subcommand(
        "create",
        "creates FILE (never overwritten) from a JSON description of its format, password and tables");
    create->add_option("SPEC", path, "the description (SPEC.json), or - for stdin")->required();
    CLI::App* addColumn = app.add_subcommand("add-column", "adds a Text column of SIZE characters to TABLE");
    needsTable(addColumn);
    addColumn->add_option("NAME", name, "the new column's name")->required();
    addColumn->add_option("SIZE", size, "the most characters it holds (default 255)");
    CLI::App* dropColumn = app.add_subcommand("drop-column", "removes column NAME from TABLE");
    needsTable(dropColumn);
    dropColumn->add_option("NAME", name, "the column's name")->required();
    CLI::App* apply = app.add_subcommand(
        "apply", "runs one change a line (update, add-column, drop-column, fill, batch, commit) and prints "
                 "\"ok N\" once change N is in the file");
    apply->add_option("SCRIPT", path, "the changes, or - for stdin")->required();
    CLI::App* exec =
        app.add_subcommand("exec", "runs one SQL statement; a SELECT prints its rows as rows does");
    exec->add_option("SQL", sql, "the statement")->required();
    CLI::App* execFile = app.add_subcommand(
        "exec-file",
        "runs one SQL statement a line on one connection, then prints how many ran and how long they "
        "took");
    execFile->add_option("SCRIPT", path, "the statements, or - for stdin")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::printf("%s", app.help().c_str());
        return 0;
    } catch (const CLI::ParseError& e) {
        // A word after FILE that is no command is left over rather than named by the parser.
        const std::vector<std::string> left = app.remaining();
        const std::string why = app.get_subcommands().empty() && !file.empty() && !left.empty()
                                    ? "unknown command \"" + left.front() + "\""
                                    : e.what();
        std::fprintf(stderr, "fendrel-db: %s\nRun with --help for more information.\n", why.c_str());
        return 2;
    }

    using namespace fendrel_db;
    if (*tables) return look(Look::Tables, file, "", password);
    if (*columns) return look(Look::Columns, file, table, password);
    if (*rows) return look(Look::Rows, file, table, password);
    if (*keys) return runKeys(file, table, password);
    if (*create) return runCreate(file, path, password);
    if (*addColumn) return runAddColumn(file, table, name, size, password);
    if (*dropColumn) return runDropColumn(file, table, name, password);
    if (*apply) return runApply(file, path, password);
    if (*exec) return runExec(file, sql, password);
    return runExecFile(file, path, password);
}
