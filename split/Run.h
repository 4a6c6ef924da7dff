#pragma once
// The split: one run cuts every value of one field of a table at a separator, adds the text
// columns label + 1 to label + n (n being the most pieces any value has) and writes piece k of every
// record into column k, one UPDATE statement per piece, over the data layer's connection.
//
// The run knows nothing of who drives it. It reports to an Observer: the progress of the update
// step, each statement it has executed, each failure with the line number the Finish handler shows
// for it, a yield once in every pass of every loop, and its end. The wizard's page 4 and the
// fendrel-split command are two such observers.
//
//     split::Inputs in;
//     in.connectionString = Access::BuildConnectionString();
//     in.table = "People";
//     in.fieldReference = "`Address`";
//     in.separator.option3 = true; // Comma-Space
//     split::Result r = split::Run(in, observer);
//
// Records are found by their value of the split field, read as text through the data layer.
// Records that share a value get the same pieces from the same statements, so each distinct value's
// statements are sent once; progress still counts records.
//
// Before anything in the file changes, the run refuses (reporting each refusal as a failure and
// ending with Outcome::Refused): a label that is not a plain name (letters of any script, digits
// and underscore, not starting with a digit, at most 64 characters with its number); a label for
// which label + j names the field being split; a field of a system table; a field whose type holds
// bytes, which no statement can find a record by; pieces longer than a text column holds (255
// characters); a split that would take the table past 255 columns.
// When opening the database or reading the field fails, that one failure is reported and the run
// ends (Outcome::Stopped). A failing ALTER TABLE or UPDATE is reported and the run goes on.

#include "db/RecordRows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace split {

// The separator as page 4 offers it: five option buttons, tested in the order of their names
// (Option1 to Option5), the first one set deciding; none set marks nothing, so no record gets a
// piece.
struct Separator {
    bool option1 = true;   // "Space": every " "
    bool option2 = false;  // "Comma": every ","
    bool option3 = false;  // "Comma-Space": every ", "
    bool option4 = false;  // "Other:": every occurrence of otherText; an empty text cuts nothing
    bool option5 = false;  // "Line Break (Enter)": every CR LF, then every LF left; a lone CR stays
    std::string otherText; // the text box beside "Other:"
};

// What a run splits. Read once, when the run starts.
struct Inputs {
    std::string connectionString; // as Access::BuildConnectionString makes it
    std::string table;            // the table's name as listed, without quotes
    std::string fieldReference;   // the field's name between back-quotes: `Address`
    Separator separator;
    std::string label = "SPLITCOLUMN"; // the new columns are label + 1, label + 2, ...
};

// A failure as the Finish handler reports it: the line of the statement that failed, and the
// failure's number and description (the text of the error box).
struct Failure {
    int line = 0;
    long number = 0;
    std::string description;
};

// The line numbers of the Finish handler that failures carry.
namespace Line {
constexpr int AlreadyRunning = 100; // a second run while one is in progress
constexpr int Open = 116;           // opening the database
constexpr int Read = 118;           // the field read, and the refusal of a system table's field
constexpr int FieldType = 120;
constexpr int RecordCount = 122;
constexpr int ReadValue = 128; // a record's value
constexpr int NextRecord = 130;
constexpr int CloseRead = 140;
constexpr int Refusal = 186; // the label, the pieces and the columns, refused before any change
constexpr int ColumnTest = 190;
constexpr int DropColumn = 192;
constexpr int AddColumn = 194;
constexpr int Update = 240;
constexpr int Checkpoint = 248; // every statement in the file, synced, when the updates end
constexpr int FinalRead = 252;
} // namespace Line

// Where the update step stands: the progress bar's value, the integer part of
// (record + 1) × 100 / records, and the record counts behind it.
struct Progress {
    int value = 0;
    std::int64_t record = 0;  // records done, counting the one in hand (1 to records)
    std::int64_t records = 0; // records of the field read
};

enum class Outcome {
    Completed, // every step ran (some statements may have failed: see Result::failures)
    Refused,   // refused before anything changed
    Stopped,   // ended early: opening or reading failed, or the observer asked to stop
    Busy,      // another run was in progress; this one did nothing
};

// What the split makes, known after the read: the dry run's whole answer.
struct Preview {
    int fieldType = 0; // the field's ADO data type code
    std::int64_t records = 0;
    struct Column {
        std::string name;        // label + j
        bool exists = false;     // already in the table: dropped with its data and made anew
        std::int64_t filled = 0; // records with a piece in it
    };
    std::vector<Column> columns;
    // The first records (at most ten), in the order of the read, with their pieces.
    struct Record {
        std::string value; // the value as text, "" for Null
        std::vector<std::string> pieces;
    };
    std::vector<Record> firstRecords;
    std::int64_t statements = 0; // UPDATE statements to send: one per piece of each distinct value
};

struct Result {
    Outcome outcome = Outcome::Stopped;
    std::int64_t failures = 0;       // failures reported, refusals included
    std::int64_t statementsSent = 0; // ALTER TABLE and UPDATE statements executed without failure
    Preview preview;                 // complete once the read and the count have run
    // The final read of the whole table, for a grid to show; null when it was not made.
    std::shared_ptr<db::RecordRows> table;
};

class Observer {
public:
    virtual ~Observer() = default;
    // The update step moved on to another record.
    virtual void onProgress(const Progress&) {}
    // A statement was executed (also when it failed): the progress bar's text.
    virtual void onStatement(const std::string& /*text*/) {}
    virtual void onFailure(const Failure&) {}
    // Once in every pass of every loop: let the window system run. Return false to stop the run
    // after the statement in hand; what was executed stays, and is in the file.
    virtual bool onYield() { return true; }
    // The run is over; nothing is reported after this.
    virtual void onEnd(const Result&) {}
};

enum class Mode {
    Split,  // the run
    DryRun, // read, count and check only: the file is not changed
};

// Runs the split on the database the connection string names, reporting to `observer`, and returns
// what onEnd was given. A run started while another is in progress (from within one of its yields)
// reports one failure and ends with Outcome::Busy.
Result Run(const Inputs& inputs, Observer& observer, Mode mode = Mode::Split);

// True while a run is in progress.
bool Running();

} // namespace split
