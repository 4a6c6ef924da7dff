// fendrel-split: the split from a terminal, with the same engine and statements as the wizard's
// Finish.
//
//   fendrel-split [--password PW] FILE TABLE FIELD
//                 [--separator space|comma|comma-space|line-break|other:TEXT] [--label LABEL] [--dry-run]
//                 [--replace] [--no-backup]
//   fendrel-split --undo [--force] FILE
//   fendrel-split --backups FILE
//
// Exit status: 0 when everything went through, 1 when anything failed or was refused, 2 for usage
// errors.

#include "Console.h"
#include "Safety.h"
#include "db/Access.h"
#include "split/Memory.h"
#include "split/Run.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <optional>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted = true;
}

// The --separator argument; nullopt when it names no separator.
std::optional<split::Separator> separatorOf(const std::string& text) {
    if (text == "space") return split::Separator::space();
    if (text == "comma") return split::Separator::comma();
    if (text == "comma-space") return split::Separator::commaSpace();
    if (text == "line-break") return split::Separator::lineBreak();
    if (text.rfind("other:", 0) == 0) return split::Separator::other(text.substr(6));
    return std::nullopt;
}

void printSummary(const split::Inputs& in, const split::Result& r, double seconds) {
    switch (r.outcome) {
    case split::Outcome::Completed: {
        const split::Plan& p = *r.plan;
        std::printf("split %s.%s into %s%s: %lld records, %lld statements, %lld failed, %.1f s\n",
                    in.table.c_str(), in.fieldName().c_str(), p.columns.front().name.c_str(),
                    p.columns.size() > 1 ? (" to " + p.columns.back().name).c_str() : "",
                    static_cast<long long>(p.records()), static_cast<long long>(r.statementsSent),
                    static_cast<long long>(r.failures), seconds);
        break;
    }
    case split::Outcome::Refused:
        std::printf("the split was refused; nothing was changed\n");
        break;
    case split::Outcome::Stopped:
        // Its columns now hold the pieces written: the same split again refuses to replace them
        // unless told to.
        if (r.statementsSent == 0)
            std::printf("the split stopped before its end; nothing was changed\n");
        else if (!r.allWritten)
            std::printf("the split stopped before its end (%lld statements executed, those since the last "
                        "checkpoint not written); run it again with --replace to complete it\n",
                        static_cast<long long>(r.statementsSent));
        else
            std::printf(
                "the split stopped before its end (%lld statements executed, all of them in the file); "
                "run it again with --replace to complete it\n",
                static_cast<long long>(r.statementsSent));
        break;
    case split::Outcome::Busy:
    case split::Outcome::Declined:
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    split::TakeMemoryInHugePages();
    CLI::App app{"Splits the values of one field of an Access table (.mdb or .accdb) at a separator into "
                 "new text columns LABEL1, LABEL2, ..., in place in the file.",
                 "fendrel-split"};
    std::string password, file, table, field, separator = "space", label = "SPLITCOLUMN";
    bool dryRun = false, replace = false, noBackup = false, undo = false, force = false, backups = false;
    app.add_option("--password", password, "the database password");
    app.add_option("FILE", file, "the database file")->required()->check(CLI::ExistingFile);
    app.add_option("TABLE", table, "the table that holds the field");
    app.add_option("FIELD", field, "the field to split")
        ->check(CLI::Validator(
            [](std::string& v) {
                return v.empty() || v.find('`') != std::string::npos ? "a field name without back-quotes"
                                                                     : std::string();
            },
            "NAME"));
    app.add_option("--separator", separator,
                   "space (the default), comma, comma-space, line-break or other:TEXT")
        ->check(CLI::Validator(
            [](std::string& v) {
                return separatorOf(v)
                           ? std::string()
                           : "'" + v + "' is none of space, comma, comma-space, line-break, other:TEXT";
            },
            "SEPARATOR"));
    app.add_option("--label", label, "the label of the new columns (default SPLITCOLUMN)");
    app.add_flag("--dry-run", dryRun,
                 "change nothing: print the columns the split would make, how many records have a piece in "
                 "each, the pieces of the first ten records and every refusal");
    app.add_flag("--replace", replace,
                 "replace columns LABEL1, LABEL2, ... that exist and hold values (refused without it)");
    app.add_flag("--no-backup", noBackup, "split without keeping a backup of the file first");
    app.add_flag("--undo", undo, "put back the backup of FILE's latest split (TABLE and FIELD not needed)");
    app.add_flag("--force", force, "with --undo: put it back even when FILE changed after the split");
    app.add_flag("--backups", backups, "list FILE's backups with their times");
    try {
        app.parse(argc, argv);
        if (!undo && !backups && table.empty()) throw CLI::RequiredError("TABLE");
        if (!undo && !backups && field.empty()) throw CLI::RequiredError("FIELD");
    } catch (const CLI::CallForHelp&) {
        std::printf("%s", app.help().c_str());
        return 0;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "fendrel-split: %s\nRun with --help for more information.\n", e.what());
        return 2;
    }

    if (backups) return fendrel_split::ListBackups(file);
    if (undo) return fendrel_split::Undo(file, force);

    std::string path = file, pw = password;
    Access::SetConnectionInputs({[&] { return path; }, [&] { return pw; }});
    split::Inputs in;
    in.connectionString = Access::BuildConnectionString();
    in.table = table;
    in.fieldReference = "`" + field + "`";
    in.separator = *separatorOf(separator);
    in.label = label;

    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    fendrel_split::Console console(::isatty(STDERR_FILENO) == 1, interrupted, field);
    const auto start = std::chrono::steady_clock::now();
    fendrel_split::Safety safety(file, replace, noBackup, ::isatty(STDERR_FILENO) == 1);
    const split::Result r =
        split::Run(in, console, dryRun ? split::Mode::DryRun : split::Mode::Split, safety.safeguards());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (dryRun) {
        std::printf("dry run: nothing was changed\n");
        if (!r.plan)
            std::printf("the database could not be read (above)\n");
        else
            fendrel_split::PrintPlan(stdout, *r.plan);
        if (r.outcome == split::Outcome::Refused)
            std::printf("refusals: %lld (above)\n", static_cast<long long>(r.failures));
        else if (r.outcome == split::Outcome::Completed)
            std::printf("refusals: none\n");
    } else {
        printSummary(in, r, seconds);
    }
    return r.outcome == split::Outcome::Completed && r.failures == 0 ? 0 : 1;
}
