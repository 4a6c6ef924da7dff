#pragma once
// A split's plan, made from what was read (a Source) for one separator and one label, without
// touching the file: every distinct value cut once, the columns the split makes (new, kept and
// refilled, or replaced) with how many records have a piece in each, the first records' pieces,
// the statements to send, and every refusal, in words, that stops the split before anything
// changes. The dry run prints it, page 4 shows it, and Apply carries it out.
//
//     split::Reporter reporter(observer);
//     auto source = split::Read(inputs, reporter, split::Opening::ForChanging);
//     split::Plan plan = split::MakePlan(source, split::Separator::commaSpace(), "PART");
//     if (plan.refusals.empty()) split::Apply(plan, reporter);

#include "split/Separator.h"
#include "split/Source.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace split {

struct PlannedColumn {
    enum class Fate {
        New,     // added
        Refill,  // a text column of 255 characters already: emptied and filled again, keeping its number
        Replace, // of another kind: dropped with its data and added anew
    };
    std::string name; // label + j
    Fate fate = Fate::New;
    std::int64_t filled = 0;    // records that get a piece in it
    std::int64_t valuesNow = 0; // values it holds now (New: 0; -1 when they could not be counted)
};

struct PlannedRecord {
    std::string value; // the value as text, "" for Null
    std::vector<std::string> pieces;
};

struct Refusal {
    enum class Kind {
        LabelCharacters, // the label is no plain name: told before the read
        Label,           // the label is too long, names the field, or cannot be stored
        Field,           // the field holds bytes
        Values,          // pieces too long, or text the database cannot store
        Room,            // more columns, column numbers, row length or file size than the table has
    };
    Kind kind;
    std::string text; // ends with "Nothing was changed."
};

struct Plan {
    std::shared_ptr<const Source> source;
    Separator separator;
    std::string label;

    std::vector<PlannedColumn> columns; // label + 1 to label + n: at least one
    std::vector<PlannedRecord> firstRecords;
    std::int64_t statements = 0; // UPDATEs: one per piece of each distinct value that has pieces
    std::vector<Refusal> refusals;

    std::int64_t records() const { return source->recordCount(); }
    int fieldType() const { return source->fieldType; }
    // Why the file cannot be changed; empty when it can.
    const std::string& notWritable() const { return source->notWritable; }
    bool refused() const { return !refusals.empty() || !notWritable().empty(); }
    // The pieces of distinct value `value` (a number of the source's texts), as views into it.
    std::vector<std::string_view> piecesOf(std::uint32_t value) const;
    // The same into `pieces` (emptied first, its room kept).
    void piecesInto(std::uint32_t value, std::vector<std::string_view>& pieces) const;
    std::size_t pieceCount(std::uint32_t value) const { return firstPiece_[value + 1] - firstPiece_[value]; }
    // Columns that exist and hold values the split would lose.
    std::vector<const PlannedColumn*> replacedWithValues() const;

    // How many pieces the values before each one have; one more entry than values.
    std::vector<std::uint32_t> firstPiece_;
};

// How many of the first records a plan keeps with their pieces unless told.
inline constexpr std::size_t PlannedFirstRecords = 10;

// Makes the plan. `pass`, when given, is called once in every pass of every loop (a yield).
Plan MakePlan(std::shared_ptr<const Source> source, const Separator& separator, const std::string& label,
              std::size_t firstRecords = PlannedFirstRecords, const std::function<void()>& pass = {});

} // namespace split
