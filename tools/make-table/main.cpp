// fendrel-make-table: writes a database with one table of N rows of realistic values (names with
// spaces, addresses with commas, notes with line breaks, numbers, dates, some nulls, values that
// repeat) and prints how long that took and how large the file is. The benchmarks use it to make
// their input; the same seed gives the same rows. With --shared K, K of the rows, spread evenly,
// hold one and the same Address (the others as before). With --password, an .accdb is encrypted
// with it (agile, as Access 2010 and later do; --spin-count sets its hash rounds, 100,000 by
// default as Access makes them) and an .mdb holds it in its header.
//
//   fendrel-make-table [--format mdb|mdb97|accdb] [--seed N] [--shared K] [--password P]
//                      [--spin-count N] FILE ROWS

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "jet/create/DatabaseCreator.h"
#include "jet/encode/ValueParse.h"

namespace {

const char* kFirst[] = {"Ada",   "Grace",      "Alan",      "Edsger", "Barbara", "Donald", "Margaret",
                        "Linus", "Ken",        "Frances",   "John",   "Mary",    "José",   "Zoë",
                        "Søren", "Anne-Marie", "Jean Paul", "Björn",  "Chloé",   "Ali"};
const char* kLast[] = {"Lovelace", "Hopper",   "Turing", "Dijkstra",    "Liskov",       "Knuth",   "Hamilton",
                       "Torvalds", "Thompson", "Allen",  "von Neumann", "de la Cruz",   "O'Brien", "Müller",
                       "García",   "Nguyen",   "Smith",  "Jones",       "van der Berg", "Kowalski"};
const char* kStreets[] = {"Baker Street", "High Street",  "Main Road",  "Rue de Rivoli", "Königsallee",
                          "Church Lane",  "Station Road", "Elm Avenue", "Mill Lane",     "Via Roma"};
const char* kCities[] = {"London", "Paris",  "Berlin", "Zürich", "Madrid",
                         "Oslo",   "Dublin", "Kraków", "Lisbon", "Rome"};
const char* kNotes[] = {"Called twice, no answer.",
                        "Prefers e-mail.\nDo not call before 9.",
                        "Paid in full; receipt sent.",
                        "Moved house.\nNew address confirmed,\nsee file.",
                        "VIP customer",
                        "Asked about the \"premium\" plan, 10% discount offered."};

// A small, fast generator with a fixed sequence for a given seed.
struct Random {
    std::uint64_t s;
    std::uint32_t next() {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(s >> 33);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }
};

jet::Value integer(std::int64_t n) {
    return jet::Value::ofInteger(n);
}
jet::Value text(std::string s) {
    return jet::Value::ofText(std::move(s));
}
jet::Value real(double d, jet::Value::Kind k = jet::Value::Kind::Double) {
    return jet::Value::ofReal(d, k);
}

int usage() {
    std::cerr << "usage: fendrel-make-table [--format mdb|mdb97|accdb] [--seed N] [--shared K] [--password P] "
                 "[--spin-count N] FILE ROWS\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    jet::CreateOptions options;
    std::uint64_t seed = 1, shared = 0;
    while (args.size() > 2 && args[0].rfind("--", 0) == 0) {
        if (args[0] == "--format" && args[1] == "mdb")
            options.version = jet::Version::Jet4;
        else if (args[0] == "--format" && args[1] == "mdb97")
            options.version = jet::Version::Jet3;
        else if (args[0] == "--format" && args[1] == "accdb")
            options.version = jet::Version::Ace12;
        else if (args[0] == "--seed")
            seed = std::stoull(args[1]);
        else if (args[0] == "--shared")
            shared = std::stoull(args[1]);
        else if (args[0] == "--password")
            options.password = args[1];
        else if (args[0] == "--spin-count")
            options.spinCount = static_cast<std::uint32_t>(std::stoul(args[1]));
        else
            return usage();
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 2) return usage();
    const std::string file = args[0];
    std::uint64_t rows = 0;
    try {
        rows = std::stoull(args[1]);
    } catch (...) {
        return usage();
    }
    if (shared > rows) return usage();
    using T = jet::ColumnType;
    std::vector<jet::ColumnSpec> columns = {
        {"ID", T::Long},        {"FullName", T::Text, 100}, {"Address", T::Text, 255},
        {"City", T::Text, 50},  {"Notes", T::Memo},         {"Amount", T::Currency},
        {"Score", T::Double},   {"Visits", T::Integer},     {"Joined", T::DateTime},
        {"Active", T::Boolean},
    };
    options.creationDate = jet::parseDateTime("2024-01-01 00:00:00");
    auto start = std::chrono::steady_clock::now();
    try {
        jet::DatabaseCreator creator(file, options);
        jet::TableFiller& table = creator.addTable("People", columns);
        Random r{seed};
        std::vector<jet::Value> row(columns.size());
        const double firstDay = jet::parseDateTime("1990-01-01 00:00:00");
        for (std::uint64_t i = 0; i < rows; ++i) {
            row[0] = integer(static_cast<std::int64_t>(i + 1));
            row[1] = text(std::string(kFirst[r.below(20)]) + " " + kLast[r.below(20)]);
            row[2] = r.below(10) == 0
                         ? jet::Value{}
                         : text(std::to_string(1 + r.below(250)) + " " + kStreets[r.below(10)] + ", Flat " +
                                std::to_string(1 + r.below(40)) + ", " + kCities[r.below(10)]);
            if (shared && i % (rows / shared) == 0 && i / (rows / shared) < shared)
                row[2] = text("1 Main Road, Flat 1, London");
            row[3] = text(kCities[r.below(10)]);
            row[4] = r.below(4) == 0 ? jet::Value{} : text(kNotes[r.below(6)]);
            row[5] = r.below(8) == 0 ? jet::Value{} : real(0, jet::Value::Kind::Currency);
            row[5].integer = static_cast<std::int64_t>(r.below(100000000)) - 20000000;
            row[6] = real(r.below(1000000) / 1000.0);
            row[7] = integer(r.below(500));
            row[8] = r.below(12) == 0 ? jet::Value{}
                                      : real(firstDay + r.below(12000) + r.below(86400) / 86400.0,
                                             jet::Value::Kind::DateTime);
            row[9].kind = jet::Value::Kind::Boolean;
            row[9].boolean = r.below(3) != 0;
            table.append(row);
        }
        creator.finish();
    } catch (const std::exception& e) {
        std::cerr << "fendrel-make-table: " << e.what() << "\n";
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto bytes = std::filesystem::file_size(file);
    std::printf("rows %llu  seconds %.2f  bytes %llu  (%.1f MB)  %s\n", static_cast<unsigned long long>(rows),
                seconds, static_cast<unsigned long long>(bytes),
                static_cast<double>(bytes) / (1024.0 * 1024.0), file.c_str());
    return 0;
}
