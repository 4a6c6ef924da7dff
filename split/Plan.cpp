#include "split/Plan.h"

#include "db/Ado.h"
#include "db/TextCase.h"
#include "jet/Jet.h"
#include "split/Excerpt.h"
#include "split/Label.h"
#include "split/Pieces.h"
#include "split/Statements.h"

#include <algorithm>

namespace split {

namespace {

constexpr std::size_t MaxTextLength = 255; // characters of a text column
constexpr std::int64_t MaxColumns = 255;   // columns of a table
constexpr std::size_t NamedRecords = 5;    // records a refusal names
// How much more room than the estimate of its growth a file must have left.
constexpr double GrowthMargin = 1.25;

bool holdsBytes(int adoType) {
    return adoType == ADODB::adBinary || adoType == ADODB::adVarBinary || adoType == ADODB::adLongVarBinary;
}

// A lower bound of the bytes a text takes in a row: Access compresses characters below U+0100 to a
// byte each and keeps the others in UTF-16; a code page takes at least a byte a character.
std::size_t leastBytes(std::string_view utf8, bool codePage) {
    // Plain ASCII: a byte a character.
    std::size_t bytes = codePage ? 0 : jet::asciiWords(utf8);
    for (unsigned char c : utf8.substr(bytes)) {
        if ((c & 0xC0) == 0x80) continue;
        bytes += codePage || c < 0xC4 ? 1 : c >= 0xF0 ? 4 : 2;
    }
    return bytes;
}

std::string megabytes(double bytes) {
    return std::to_string(static_cast<long long>(bytes / 1e6 + 0.5)) + " MB";
}

// What cutting a distinct value found.
struct Facts {
    bool tooLong = false;    // a piece longer than a text column holds
    bool unstorable = false; // a character the database's code page lacks
    bool tooWide = false;    // its record's row would pass the longest row a page takes
};

class Planner {
public:
    Planner(Plan& plan, std::size_t firstRecords, const std::function<void()>& pass)
        : p_(plan), s_(*plan.source), firstRecords_(firstRecords), pass_(pass) {}

    void make() {
        cut();
        name();
        refuse();
    }

private:
    void pass() {
        if (pass_) pass_();
    }

    void cut() {
        const std::size_t values = s_.texts.size();
        facts_.resize(values);
        p_.firstPiece_.reserve(values + 1);
        p_.firstPiece_.push_back(0);
        std::vector<std::string_view> views;
        std::size_t pieces = 0;
        // A Memo keeps its text outside the row once it is long; a Text column in it.
        const bool textField = s_.fieldType == ADODB::adVarWChar;
        const bool codePage = s_.shape.codePageText;
        for (std::uint32_t id = 0; id < values; ++id) {
            pass();
            const std::string_view text = s_.text(id);
            views.clear();
            CutInto(text, p_.separator, views);
            std::size_t rowBytes = 4 + 2 * views.size() + (textField ? leastBytes(text, codePage) : 0);
            pieces += views.size();
            for (std::string_view piece : views) {
                const std::size_t length = TextLength(piece);
                facts_[id].tooLong = facts_[id].tooLong || length > MaxTextLength;
                rowBytes += leastBytes(piece, codePage);
                growth_ += static_cast<double>(s_.holders[id]) * (2.0 * static_cast<double>(length) + 2);
            }
            if (!views.empty())
                growth_ += static_cast<double>(s_.holders[id]) * (2.0 * TextLength(text) + 32);
            facts_[id].tooWide = !views.empty() && rowBytes > s_.shape.maxRowBytes;
            p_.firstPiece_.push_back(static_cast<std::uint32_t>(pieces));
            widest_ = std::max(widest_, views.size());
            p_.statements += static_cast<std::int64_t>(views.size());
        }
    }

    // The columns label + 1 to label + n (at least one), what becomes of each, and the records that
    // have a piece in each.
    void name() {
        const std::size_t columns = std::max<std::size_t>(widest_, 1);
        std::vector<std::int64_t> withPieces(widest_ + 1, 0); // records by their number of pieces
        for (std::uint32_t id = 0; id < s_.texts.size(); ++id) {
            pass();
            withPieces[p_.pieceCount(id)] += s_.holders[id];
        }
        std::int64_t atLeast = 0;
        std::vector<std::int64_t> filled(columns + 1, 0);
        for (std::size_t j = widest_; j >= 1; --j) {
            atLeast += withPieces[j];
            filled[j] = atLeast;
        }
        const bool plain = IsPlainName(p_.label);
        for (std::size_t j = 1; j <= columns && j <= static_cast<std::size_t>(MaxColumns) + 1; ++j) {
            PlannedColumn c;
            c.name = ColumnName(p_.label, static_cast<int>(j));
            c.filled = filled[j];
            if (const TableColumn* now = plain ? s_.findColumn(c.name) : nullptr) {
                const bool text255 = now->column.adoType == ADODB::adVarWChar &&
                                     now->column.maxLength == static_cast<int>(MaxTextLength);
                c.fate = text255 ? PlannedColumn::Fate::Refill : PlannedColumn::Fate::Replace;
                c.valuesNow = now->values;
            }
            p_.columns.push_back(c);
        }
        columns_ = columns;
        for (std::size_t i = 0; i < s_.records.size() && i < firstRecords_; ++i) {
            const std::uint32_t id = s_.records[i];
            PlannedRecord r{std::string(s_.text(id)), {}};
            for (std::string_view piece : p_.piecesOf(id))
                r.pieces.emplace_back(piece);
            p_.firstRecords.push_back(std::move(r));
        }
    }

    void refuse(Refusal::Kind kind, std::string text) { p_.refusals.push_back({kind, std::move(text)}); }

    // Records (numbered from 1) whose value satisfies `pick`, told as a count and the first few.
    template <class Pick> std::string recordsWhere(Pick pick) {
        std::int64_t count = 0;
        std::string named;
        for (std::size_t i = 0; i < s_.records.size(); ++i) {
            pass();
            const std::uint32_t id = s_.records[i];
            if (!pick(id)) continue;
            if (++count <= static_cast<std::int64_t>(NamedRecords))
                named += (count > 1 ? ", record " : "record ") + std::to_string(i + 1) + " (" +
                         Excerpt(s_.text(id)) + ")";
        }
        return std::to_string(count) + (count == 1 ? " record: " : " records, the first: ") + named;
    }

    // Everything that would make the split fail half-way, told before anything changes.
    void refuse() {
        const int columns = static_cast<int>(std::min<std::size_t>(columns_, MaxColumns + 1));
        if (auto why = LabelRefusal(p_.label, 0)) {
            refuse(Refusal::Kind::LabelCharacters, *why);
        } else {
            if (auto longer = LabelRefusal(p_.label, columns)) refuse(Refusal::Kind::Label, *longer);
            for (int j = 1; j <= columns; ++j)
                if (db::sameName(ColumnName(p_.label, j), s_.field)) {
                    refuse(Refusal::Kind::Label,
                           "The label '" + p_.label + "' would name the new field " + ColumnName(p_.label, j) +
                               ", which is the field being split: the split would drop its own values. Please "
                               "choose another label. Nothing was changed.");
                    break;
                }
        }
        if (holdsBytes(s_.fieldType))
            refuse(Refusal::Kind::Field, "The field '" + s_.field +
                                             "' holds binary data (an OLE object or bytes), which cannot be cut "
                                             "into text. Nothing was changed.");
        refuseUnstorable(columns);
        if (std::any_of(facts_.begin(), facts_.end(), [](const Facts& f) { return f.tooLong; }))
            refuse(Refusal::Kind::Values, "The split would make pieces longer than the " +
                                              std::to_string(MaxTextLength) + " characters a text field holds, in " +
                                              recordsWhere([&](std::uint32_t id) { return facts_[id].tooLong; }) +
                                              ". Nothing was changed.");
        refuseRoom();
    }

    // Access 97 keeps text in a code page: a new field's name or a piece with a character it lacks
    // would fail half-way.
    void refuseUnstorable(int columns) {
        if (!s_.storable) return;
        if (IsPlainName(p_.label))
            for (int j = 1; j <= columns; ++j)
                if (auto why = s_.storable(ColumnName(p_.label, j))) {
                    refuse(Refusal::Kind::Label, "The label '" + p_.label +
                                                     "' cannot name a field of this Access 97 database: " + *why +
                                                     ". Please choose another label. Nothing was changed.");
                    break;
                }
        std::optional<std::string> first;
        for (std::uint32_t id = 0; id < facts_.size(); ++id) {
            pass();
            if (p_.pieceCount(id) == 0) continue;
            if (auto why = s_.storable(s_.text(id))) {
                facts_[id].unstorable = true;
                if (!first) first = why;
            }
        }
        if (first)
            refuse(Refusal::Kind::Values,
                   "The split would write text that this Access 97 database cannot hold (" + *first + "), in " +
                       recordsWhere([&](std::uint32_t id) { return facts_[id].unstorable; }) +
                       ". Nothing was changed.");
    }

    // The table's columns and column numbers, the longest row, the file's largest size.
    void refuseRoom() {
        const db::TableShape& shape = s_.shape;
        std::int64_t existing = 0, spent = 0;
        for (const PlannedColumn& c : p_.columns) {
            existing += c.fate != PlannedColumn::Fate::New;
            spent += c.fate != PlannedColumn::Fate::Refill;
        }
        const std::int64_t wanted = static_cast<std::int64_t>(columns_);
        const std::int64_t others = static_cast<std::int64_t>(shape.columns.size()) - existing;
        if (others + wanted > MaxColumns) {
            const std::int64_t room = std::max<std::int64_t>(MaxColumns - others, 0);
            refuse(Refusal::Kind::Room,
                   "The split would need " + std::to_string(wanted) + " new fields, and the table '" +
                       s_.inputs.table + "' would have " + std::to_string(others + wanted) +
                       " fields, more than the " + std::to_string(MaxColumns) +
                       " a table can hold. Values with more than " + std::to_string(room) + " pieces are in " +
                       recordsWhere([&](std::uint32_t id) {
                           return static_cast<std::int64_t>(p_.pieceCount(id)) > room;
                       }) +
                       ". Nothing was changed.");
        } else if (spent > shape.columnNumbersLeft) {
            refuse(Refusal::Kind::Room,
                   "The split would add " + std::to_string(spent) + " fields, and the table '" + s_.inputs.table +
                       "' has only " + std::to_string(shape.columnNumbersLeft) +
                       " field numbers left: a deleted field keeps its number until the database is "
                       "compacted. Compact the database in Access, then try again. Nothing was changed.");
        }
        if (std::any_of(facts_.begin(), facts_.end(), [](const Facts& f) { return f.tooWide; }))
            refuse(Refusal::Kind::Room,
                   "The split would make records longer than the " + std::to_string(shape.maxRowBytes) +
                       " bytes a record can hold, in " +
                       recordsWhere([&](std::uint32_t id) { return facts_[id].tooWide; }) +
                       ". Nothing was changed.");
        const double needed = growth_ * GrowthMargin;
        if (static_cast<double>(shape.fileBytes) + needed > static_cast<double>(shape.maxFileBytes))
            refuse(Refusal::Kind::Room,
                   "The split would make the database file about " + megabytes(needed) +
                       " larger (an estimate with a quarter to spare), and it is " +
                       megabytes(static_cast<double>(shape.fileBytes)) + " of the " +
                       megabytes(static_cast<double>(shape.maxFileBytes)) +
                       " its format allows. Compact the database in Access or split fewer records. Nothing was "
                       "changed.");
    }

    Plan& p_;
    const Source& s_;
    std::size_t firstRecords_;
    const std::function<void()>& pass_;
    std::vector<Facts> facts_;
    std::size_t widest_ = 0;
    std::size_t columns_ = 1;
    double growth_ = 0; // bytes the file may grow by
};

} // namespace

std::vector<std::string_view> Plan::piecesOf(std::uint32_t value) const {
    std::vector<std::string_view> out;
    out.reserve(pieceCount(value));
    piecesInto(value, out);
    return out;
}

void Plan::piecesInto(std::uint32_t value, std::vector<std::string_view>& pieces) const {
    // Cut again rather than kept: cutting is cheaper than the memory the pieces of every value
    // would take, and gives the same pieces.
    pieces.clear();
    CutInto(source->text(value), separator, pieces);
}

std::vector<const PlannedColumn*> Plan::replacedWithValues() const {
    std::vector<const PlannedColumn*> out;
    for (const PlannedColumn& c : columns)
        if (c.fate != PlannedColumn::Fate::New && c.valuesNow != 0) out.push_back(&c);
    return out;
}

Plan MakePlan(std::shared_ptr<const Source> source, const Separator& separator, const std::string& label,
              std::size_t firstRecords, const std::function<void()>& pass) {
    Plan plan;
    plan.source = std::move(source);
    plan.separator = separator;
    plan.label = label;
    Planner(plan, firstRecords, pass).make();
    return plan;
}

} // namespace split
