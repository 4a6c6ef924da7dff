// fendrel-split: the split from a terminal, with the same engine and statements as the wizard's
// Finish.
//
//   fendrel-split [--password PW] FILE TABLE FIELD
//                 [--separator space|comma|comma-space|line-break|other:TEXT] [--label LABEL] [--dry-run]
//
// Exit status: 0 when everything went through, 1 when anything failed or was refused, 2 for usage
// errors.

#include "Console.h"
#include "db/Access.h"
#include "split/Run.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted = true;
}

// The --separator argument as page 4's option buttons; false when it names none of them.
bool separatorOf(const std::string& text, split::Separator& s) {
    s = split::Separator{};
    s.option1 = false;
    if (text == "space")
        s.option1 = true;
    else if (text == "comma")
        s.option2 = true;
    else if (text == "comma-space")
        s.option3 = true;
    else if (text == "line-break")
        s.option5 = true;
    else if (text.rfind("other:", 0) == 0) {
        s.option4 = true;
        s.otherText = text.substr(6);
    } else
        return false;
    return true;
}

void printSummary(const split::Inputs& in, const split::Result& r, double seconds) {
    const auto& p = r.preview;
    switch (r.outcome) {
    case split::Outcome::Completed:
        std::printf("split %s.%s into %s%s: %lld records, %lld statements, %lld failed, %.1f s\n",
                    in.table.c_str(), in.fieldReference.substr(1, in.fieldReference.size() - 2).c_str(),
                    p.columns.front().name.c_str(),
                    p.columns.size() > 1 ? (" to " + p.columns.back().name).c_str() : "",
                    static_cast<long long>(p.records), static_cast<long long>(r.statementsSent),
                    static_cast<long long>(r.failures), seconds);
        break;
    case split::Outcome::Refused:
        std::printf("the split was refused; nothing was changed\n");
        break;
    case split::Outcome::Stopped:
        if (r.statementsSent == 0)
            std::printf("the split stopped before its end; nothing was changed\n");
        else
            std::printf(
                "the split stopped before its end (%lld statements executed, all of them in the file); "
                "run it again to complete it\n",
                static_cast<long long>(r.statementsSent));
        break;
    case split::Outcome::Busy:
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Splits the values of one field of an Access table (.mdb or .accdb) at a separator into "
                 "new text columns LABEL1, LABEL2, ..., in place in the file.",
                 "fendrel-split"};
    std::string password, file, table, field, separator = "space", label = "SPLITCOLUMN";
    bool dryRun = false;
    app.add_option("--password", password, "the database password");
    app.add_option("FILE", file, "the database file")->required()->check(CLI::ExistingFile);
    app.add_option("TABLE", table, "the table that holds the field")->required();
    app.add_option("FIELD", field, "the field to split")
        ->required()
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
                split::Separator s;
                return separatorOf(v, s)
                           ? std::string()
                           : "'" + v + "' is none of space, comma, comma-space, line-break, other:TEXT";
            },
            "SEPARATOR"));
    app.add_option("--label", label, "the label of the new columns (default SPLITCOLUMN)");
    app.add_flag("--dry-run", dryRun,
                 "change nothing: print the columns the split would make, how many records have a piece in "
                 "each, the pieces of the first ten records and every refusal");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::printf("%s", app.help().c_str());
        return 0;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "fendrel-split: %s\nRun with --help for more information.\n", e.what());
        return 2;
    }

    std::string path = file, pw = password;
    Access::SetConnectionInputs({[&] { return path; }, [&] { return pw; }});
    split::Inputs in;
    in.connectionString = Access::BuildConnectionString();
    in.table = table;
    in.fieldReference = "`" + field + "`";
    separatorOf(separator, in.separator);
    in.label = label;

    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    fendrel_split::Console console(::isatty(STDERR_FILENO) == 1, interrupted);
    const auto start = std::chrono::steady_clock::now();
    const split::Result r = split::Run(in, console, dryRun ? split::Mode::DryRun : split::Mode::Split);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (dryRun) {
        std::printf("dry run: nothing was changed\n");
        if (r.outcome == split::Outcome::Stopped)
            std::printf("the database could not be read (above)\n");
        else
            fendrel_split::PrintPreview(stdout, r.preview);
        if (r.outcome == split::Outcome::Refused)
            std::printf("refusals: %lld (above)\n", static_cast<long long>(r.failures));
        else if (r.outcome == split::Outcome::Completed)
            std::printf("refusals: none\n");
    } else {
        printSummary(in, r, seconds);
    }
    return r.outcome == split::Outcome::Completed && r.failures == 0 ? 0 : 1;
}
