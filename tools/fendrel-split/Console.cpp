#include "Console.h"

#include "db/Ado.h"

#include <algorithm>
#include <cinttypes>

namespace fendrel_split {

namespace {

constexpr auto Redraw = std::chrono::milliseconds(100);
constexpr int BarWidth = 30;

std::string typeName(int adoType) {
    using namespace ADODB;
    switch (adoType) {
    case adBoolean:
        return "Yes/No";
    case adUnsignedTinyInt:
        return "Byte";
    case adSmallInt:
        return "Integer";
    case adInteger:
        return "Long";
    case adBigInt:
        return "Large Number";
    case adSingle:
        return "Single";
    case adDouble:
        return "Double";
    case adCurrency:
        return "Currency";
    case adNumeric:
        return "Decimal";
    case adDate:
        return "Date/Time";
    case adDBTimeStamp:
        return "Extended Date/Time";
    case adVarWChar:
        return "Text";
    case adLongVarWChar:
        return "Memo";
    case adGUID:
        return "Replication ID";
    case adLongVarBinary:
        return "OLE or binary";
    default:
        return "type " + std::to_string(adoType);
    }
}

// A text on one line, between double quotes: line breaks and tabs shown as \r, \n and \t.
std::string shown(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out + "\"";
}

std::string duration(double seconds) {
    const auto s = static_cast<long long>(seconds + 0.5);
    char buf[32];
    if (s >= 3600)
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(buf, sizeof buf, "%lld:%02lld", s / 60, s % 60);
    return buf;
}

} // namespace

Console::Console(bool terminal, const std::atomic<bool>& stop, std::string field)
    : terminal_(terminal), field_(std::move(field)), stop_(stop) {}

void Console::onProgress(const split::Progress& p) {
    if (!terminal_) {
        const int tenth = p.value / 10;
        if (tenth > lastTenth_ || p.record == 1) {
            lastTenth_ = tenth;
            std::fprintf(stderr, "progress %3d%%  %" PRId64 " of %" PRId64 " records\n", p.value, p.record,
                         p.records);
        }
        return;
    }
    // Only the bar needs the clock: a plain line is told by the count.
    const auto now = std::chrono::steady_clock::now();
    if (p.record == 1) start_ = now; // the rate counts from the update step's start
    if (now - drawn_ < Redraw && p.record != p.records) return;
    drawn_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double rate = elapsed > 0 ? static_cast<double>(p.record) / elapsed : 0;
    const int full = static_cast<int>(static_cast<std::int64_t>(BarWidth) * p.record / p.records);
    std::string bar(static_cast<std::size_t>(full), '#');
    bar.resize(BarWidth, '-');
    std::string left = "--:--";
    if (rate > 0) left = duration(static_cast<double>(p.records - p.record) / rate);
    std::fprintf(stderr, "\r[%s] %3d%%  %" PRId64 "/%" PRId64 " records  %.0f/s  %s left\x1b[K", bar.c_str(),
                 p.value, p.record, p.records, rate, left.c_str());
    std::fflush(stderr);
    barShown_ = true;
}

void Console::clearBar() {
    if (!barShown_) return;
    std::fprintf(stderr, "\r\x1b[K");
    barShown_ = false;
    drawn_ = {};
}

void Console::onFailure(const split::Failure& f) {
    clearBar();
    std::fprintf(stderr, "%s\n", FailureText(f, field_).c_str());
}

void Console::onEnd(const split::Result&) {
    clearBar();
}

std::string FailureText(const split::Failure& f, const std::string& field) {
    using split::Step;
    const auto why = [&](const std::string& what) { return what + ": " + f.description; };
    switch (f.step) {
    case Step::AlreadyRunning:
    case Step::Refusal:
        return f.description;
    case Step::Open:
        return why("could not open the database");
    case Step::ReadField:
    case Step::FieldType:
    case Step::RecordCount:
    case Step::ReadValue:
    case Step::NextRecord:
    case Step::CloseRead:
        return why("could not read the field");
    case Step::EmptyColumn:
        return why("could not empty the column " + f.column);
    case Step::DropColumn:
        return why("could not drop the column " + f.column);
    case Step::AddColumn:
        return why("could not add the column " + f.column);
    case Step::Update:
        return why("could not update " + std::to_string(f.records) + (f.records == 1 ? " record" : " records") +
                   " whose " + field + " is " + shown(f.value) + " (column " + f.column + ")");
    case Step::Checkpoint:
        return why("could not write the changes to the file");
    case Step::FinalRead:
        return why("could not read the table back");
    }
    return f.description;
}

void PrintPlan(std::FILE* out, const split::Plan& p) {
    using Fate = split::PlannedColumn::Fate;
    std::fprintf(out, "field type %s (%d), %" PRId64 " records\n", typeName(p.fieldType()).c_str(), p.fieldType(),
                 p.records());
    std::fprintf(out, "columns:\n");
    std::size_t alters = 0;
    std::int64_t empties = 0;
    for (const auto& c : p.columns) {
        std::string fate;
        const std::string held = c.valuesNow < 0 ? "" : ", holding " + std::to_string(c.valuesNow) + " values now";
        switch (c.fate) {
        case Fate::New:
            ++alters;
            break;
        case Fate::Refill:
            empties += c.valuesNow != 0;
            fate = "  (exists" + held + ": emptied and filled again)";
            break;
        case Fate::Replace:
            alters += 2;
            fate = "  (exists" + held + ": dropped with its data and made anew)";
            break;
        }
        std::fprintf(out, "  %s  %" PRId64 " records with a piece%s\n", c.name.c_str(), c.filled, fate.c_str());
    }
    std::fprintf(out, "statements: %zu ALTER TABLE, %" PRId64 " UPDATE\n", alters, p.statements + empties);
    std::fprintf(out, "first records:\n");
    for (std::size_t i = 0; i < p.firstRecords.size(); ++i) {
        const auto& r = p.firstRecords[i];
        std::string pieces;
        for (const auto& piece : r.pieces)
            pieces += (pieces.empty() ? "" : " | ") + shown(piece);
        std::fprintf(out, "  %zu  %s -> %s\n", i + 1, shown(r.value).c_str(),
                     r.pieces.empty() ? "(no pieces)" : pieces.c_str());
    }
}

} // namespace fendrel_split
