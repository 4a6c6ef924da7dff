#pragma once
// What a split tells whoever drives it (the wizard's page 4, fendrel-split): the progress of the
// updates, each statement executed, each failure with the step it happened in, a yield once in
// every pass of every loop, and its end.

#include <cstdint>
#include <string>

namespace split {

// The steps of a split, in the order they run. Failures name the step they happened in.
enum class Step {
    AlreadyRunning, // a second split while one is in progress
    Open,           // opening the database
    ReadField,      // reading the field (and a system table's field, refused there)
    FieldType,
    RecordCount,
    ReadValue, // a record's value
    NextRecord,
    CloseRead,
    Refusal,     // the plan refused: nothing was changed
    EmptyColumn, // a column of the label kept and emptied, to be filled again
    DropColumn,
    AddColumn,
    Update,
    Checkpoint, // every statement in the file, synced, when the updates end
    FinalRead,  // the table read again, with its new columns
};

struct Failure {
    Step step = Step::Open;
    long number = 0;         // the data layer's error number
    std::string description; // what went wrong, in words
    // A failed UPDATE: the value the records were found by, how many records hold it, and the
    // column of the piece.
    std::string value;
    std::int64_t records = 0;
    std::string column;
};

// Where the updates stand: the progress bar's value, the integer part of
// (record + 1) × 100 / records, and the record counts behind it.
struct Progress {
    int value = 0;
    std::int64_t record = 0;  // records done, counting the one in hand (1 to records)
    std::int64_t records = 0; // records of the field read
};

enum class Outcome {
    Completed, // every step ran (some statements may have failed: see Result::failures)
    Refused,   // refused before anything changed
    Stopped,   // ended early: opening or reading failed, the disk failed, or the observer asked to stop
    Busy,      // another split was in progress; this one did nothing
    Declined,  // its driver declined before the first change (a confirmation, a backup): nothing changed
};

struct Result;

class Observer {
public:
    virtual ~Observer() = default;
    // The updates moved on to another record.
    virtual void onProgress(const Progress&) {}
    // A statement was executed (also when it failed): the progress bar's text.
    virtual void onStatement(const std::string& /*text*/) {}
    virtual void onFailure(const Failure&) {}
    // Once in every pass of every loop: let the window system run. Return false to stop the split
    // after the statement in hand; what was executed stays, and is in the file.
    virtual bool onYield() { return true; }
    // The split is over; nothing is reported after this.
    virtual void onEnd(const Result&) {}
};

} // namespace split
