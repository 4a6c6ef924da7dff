#include "split/Run.h"

#include "db/Access.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/RecordSet.h"
#include "db/TextCase.h"
#include "db/TextTable.h"
#include "db/ValueText.h"
#include "split/Label.h"
#include "split/Pieces.h"
#include "split/Statements.h"

#include <algorithm>
#include <exception>
#include <new>
#include <string_view>

namespace split {

namespace {

bool running = false;

constexpr std::size_t MaxTextLength = 255; // characters of a text column
constexpr std::int64_t MaxColumns = 255;   // columns of a table
constexpr std::size_t FirstRecords = 10;   // records the preview shows
constexpr std::size_t NamedRecords = 5;    // records a refusal names

// Ends the run from anywhere inside it.
struct EndRun {
    Outcome outcome;
};

// One distinct value of the field (its text is the value table's under the same number), with
// what the count step learnt of it.
struct Value {
    std::uint32_t first = 0; // the first record holding it: its statements are sent there
    std::uint32_t pieces = 0;
    bool tooLong = false;    // a piece longer than a text column holds
    bool unstorable = false; // a character the database's code page lacks (Access 97)
};

std::string fieldNameOf(const std::string& reference) {
    if (reference.size() >= 2 && reference.front() == '`' && reference.back() == '`')
        return reference.substr(1, reference.size() - 2);
    return reference;
}

bool isSystemTable(const std::string& name, const std::string& type) {
    return type == "SYSTEM TABLE" || type == "ACCESS TABLE" || db::asciiLower(name.substr(0, 4)) == "msys";
}

bool holdsBytes(int adoType) {
    return adoType == 128 || adoType == 204 || adoType == ADODB::adLongVarBinary;
}

// The first characters of a value, for a message.
std::string excerpt(std::string_view value) {
    constexpr std::size_t Shown = 30;
    std::size_t end = 0, chars = 0;
    while (end < value.size() && chars < Shown) {
        ++end;
        while (end < value.size() && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
            ++end;
        ++chars;
    }
    std::string out(value.substr(0, end));
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return "\"" + out + (end < value.size() ? "...\"" : "\"");
}

class Runner {
public:
    Runner(const Inputs& inputs, Observer& observer, Mode mode)
        : in_(inputs), observer_(observer), mode_(mode), field_(fieldNameOf(inputs.fieldReference)) {}

    Result go() {
        try {
            open();
            read();
            count();
            check();
            if (mode_ == Mode::DryRun) throw EndRun{Outcome::Completed};
            columns();
            update();
            checkpoint();
            finalRead();
            result_.outcome = Outcome::Completed;
        } catch (const EndRun& end) {
            result_.outcome = end.outcome;
            if (end.outcome == Outcome::Stopped && changed_) checkpoint();
        }
        return result_;
    }

private:
    // Runs one numbered statement of the handler; a failure is reported and gives false.
    template <class F> bool attempt(int line, F&& statement) {
        try {
            statement();
            return true;
        } catch (const db::Error& e) {
            fail(line, e.number(), e.description());
        } catch (const std::bad_alloc&) {
            fail(line, db::ErrorNumber::Unspecified, "Not enough memory to complete the operation.");
        } catch (const std::exception& e) {
            fail(line, db::ErrorNumber::Unspecified, e.what());
        }
        return false;
    }
    // A statement whose failure ends the run.
    template <class F> void require(int line, F&& statement) {
        if (!attempt(line, std::forward<F>(statement))) throw EndRun{Outcome::Stopped};
    }

    void fail(int line, long number, const std::string& description) {
        ++result_.failures;
        observer_.onFailure(Failure{line, number, description});
    }
    void refuse(const std::string& description) {
        ++refusals_;
        fail(Line::Refusal, db::ErrorNumber::Unspecified, description);
    }

    void yield() {
        if (!observer_.onYield()) throw EndRun{Outcome::Stopped};
    }

    void open() {
        // The label's characters first: a bad label is told before the read, however long it is.
        if (auto why = LabelRefusal(in_.label, 0)) refuse(*why);
        const bool writable = attempt(Line::Open, [&] {
            connection_.Mode = ADODB::adModeReadWrite;
            connection_.Open(in_.connectionString);
        });
        if (!writable) {
            if (mode_ != Mode::DryRun) throw EndRun{Outcome::Stopped};
            // The real run would stop here; a dry run says so and shows what it can read of the file.
            ++refusals_;
            require(Line::Open, [&] {
                connection_.Mode = ADODB::adModeRead;
                connection_.Open(in_.connectionString);
            });
        }
        std::string type;
        require(Line::Read, [&] {
            ADODB::RecordSet schema = connection_.OpenSchema(ADODB::adSchemaTables);
            for (; !schema.Eof(); schema.MoveNext()) {
                const db::Variant& name = schema("TABLE_NAME").Value();
                if (name.isText() && db::sameName(name.get<std::string>(), in_.table)) {
                    const db::Variant& t = schema("TABLE_TYPE").Value();
                    if (t.isText()) type = t.get<std::string>();
                    break;
                }
            }
        });
        if (isSystemTable(in_.table, type)) {
            ++refusals_;
            fail(Line::Read, db::ErrorNumber::Unspecified,
                 "You do not have the necessary permissions to use the '" + in_.table +
                     "' object. Have your system administrator or the person who created this object "
                     "establish the appropriate permissions for you.");
            throw EndRun{Outcome::Refused};
        }
    }

    void read() {
        ADODB::RecordSet rs;
        require(Line::Read, [&] {
            rs.Open(SelectFieldText(in_.table, in_.fieldReference), connection_, ADODB::adOpenStatic,
                    ADODB::adLockUnspecified);
        });
        require(Line::FieldType, [&] { result_.preview.fieldType = rs.Fields()(0).Type(); });
        std::int64_t n = 0;
        require(Line::RecordCount, [&] { n = rs.RecordCount(); });
        result_.preview.records = n;
        records_.reserve(static_cast<std::size_t>(n));
        values_.reserve(static_cast<std::size_t>(n)); // only what is used takes memory
        table_.reserve(static_cast<std::size_t>(n));
        for (std::int64_t i = 0; i < n; ++i) {
            yield();
            require(Line::ReadValue, [&] {
                const std::string text = db::valueText(rs.Fields()(0).Value()).value_or(std::string());
                auto [id, added] = table_.insert(text);
                if (added) values_.push_back(Value{static_cast<std::uint32_t>(i)});
                records_.push_back(id);
            });
            require(Line::NextRecord, [&] { rs.MoveNext(); });
        }
        attempt(Line::CloseRead, [&] { rs.Close(); });
    }

    // Marks and cuts every distinct value once; the records then count through their values.
    void count() {
        for (std::uint32_t id = 0; id < values_.size(); ++id) {
            yield();
            Value& v = values_[id];
            const std::string_view text = table_.text(id);
            const std::vector<std::string> pieces = Cut(Mark(text, in_.separator));
            v.pieces = static_cast<std::uint32_t>(pieces.size());
            v.tooLong = std::any_of(pieces.begin(), pieces.end(),
                                    [](const std::string& p) { return TextLength(p) > MaxTextLength; });
            widest_ = std::max<std::size_t>(widest_, v.pieces);
            if (!text.empty() && v.pieces) result_.preview.statements += static_cast<std::int64_t>(v.pieces);
        }
        // At least one column, also for a table without records or pieces.
        columns_ = std::max<std::size_t>(widest_, 1);

        std::vector<std::int64_t> withPieces(widest_ + 1, 0); // records by their number of pieces
        for (std::uint32_t id : records_)
            ++withPieces[values_[id].pieces];
        std::int64_t atLeast = 0;
        std::vector<std::int64_t> filled(columns_ + 1, 0);
        for (std::size_t j = widest_; j >= 1; --j) {
            atLeast += withPieces[j];
            filled[j] = atLeast;
        }
        for (std::size_t j = 1; j <= columns_; ++j)
            result_.preview.columns.push_back({ColumnName(in_.label, static_cast<int>(j)), false, filled[j]});
        for (std::size_t i = 0; i < records_.size() && i < FirstRecords; ++i) {
            const std::string_view text = table_.text(records_[i]);
            result_.preview.firstRecords.push_back({std::string(text), Cut(Mark(text, in_.separator))});
        }
    }

    // Records (numbered from 1) whose value satisfies `pick`, told as a count and the first few.
    template <class Pick> std::string recordsWhere(Pick pick) {
        std::int64_t count = 0;
        std::string named;
        for (std::size_t i = 0; i < records_.size(); ++i) {
            if (!pick(values_[records_[i]])) continue;
            if (++count <= static_cast<std::int64_t>(NamedRecords))
                named += (count > 1 ? ", record " : "record ") + std::to_string(i + 1) + " (" +
                         excerpt(table_.text(records_[i])) + ")";
        }
        return std::to_string(count) + (count == 1 ? " record: " : " records, the first: ") + named;
    }

    // Everything that would make the run fail half-way, told before anything changes.
    void check() {
        const int columns = static_cast<int>(std::min<std::size_t>(columns_, MaxColumns + 1));
        if (IsPlainName(in_.label)) {
            // The characters were told at the start; the length needs the number of columns.
            if (auto why = LabelRefusal(in_.label, columns)) refuse(*why);
            for (int j = 1; j <= columns; ++j)
                if (db::sameName(ColumnName(in_.label, j), field_)) {
                    refuse("The label '" + in_.label + "' would name the new field " +
                           ColumnName(in_.label, j) +
                           ", which is the field being split: the split would drop its own values. Please "
                           "choose another label. Nothing was changed.");
                    break;
                }
        }
        if (holdsBytes(result_.preview.fieldType))
            refuse("The field '" + field_ +
                   "' holds binary data (an OLE object or bytes), which cannot be cut into text. Nothing was "
                   "changed.");
        // Access 97 keeps text in a code page: a new field's name or a piece with a character it
        // lacks would fail half-way, so the split is refused here, naming the records.
        if (const Access::TextStorageTest storable = Access::TextStorageTestFor(in_.connectionString)) {
            for (int j = 1; j <= columns; ++j)
                if (auto why = storable(ColumnName(in_.label, j))) {
                    refuse("The label '" + in_.label + "' cannot name a field of this Access 97 database: " + *why +
                           ". Please choose another label. Nothing was changed.");
                    break;
                }
            std::optional<std::string> first;
            for (std::uint32_t id = 0; id < values_.size(); ++id) {
                yield();
                Value& v = values_[id];
                if (v.pieces == 0) continue;
                if (auto why = storable(table_.text(id))) {
                    v.unstorable = true;
                    if (!first) first = why;
                }
            }
            if (first)
                refuse("The split would write text that this Access 97 database cannot hold (" + *first + "), in " +
                       recordsWhere([](const Value& v) { return v.unstorable; }) + ". Nothing was changed.");
        }
        if (std::any_of(values_.begin(), values_.end(), [](const Value& v) { return v.tooLong; }))
            refuse("The split would make pieces longer than the " + std::to_string(MaxTextLength) +
                   " characters a text field holds, in " +
                   recordsWhere([](const Value& v) { return v.tooLong; }) + ". Nothing was changed.");

        // The columns label + 1 to label + n that exist are dropped and made anew; the others stay.
        std::int64_t tableColumns = 0;
        attempt(Line::ColumnTest, [&] {
            ADODB::RecordSet all;
            all.Open(SelectAllText(in_.table), connection_, ADODB::adOpenKeyset, ADODB::adLockReadOnly);
            tableColumns = all.Fields().count();
            all.Close();
        });
        std::int64_t existing = 0;
        for (auto& c : result_.preview.columns) {
            yield();
            c.exists =
                IsPlainName(in_.label) && Access::ColumnExists(in_.table, c.name, in_.connectionString);
            existing += c.exists;
        }
        const std::int64_t others = tableColumns - existing;
        if (others + static_cast<std::int64_t>(columns_) > MaxColumns) {
            const std::int64_t room = std::max<std::int64_t>(MaxColumns - others, 0);
            refuse("The split would need " + std::to_string(columns_) + " new fields, and the table '" +
                   in_.table + "' would have " +
                   std::to_string(others + static_cast<std::int64_t>(columns_)) + " fields, more than the " +
                   std::to_string(MaxColumns) + " a table can hold. Values with more than " +
                   std::to_string(room) + " pieces are in " +
                   recordsWhere([&](const Value& v) { return static_cast<std::int64_t>(v.pieces) > room; }) +
                   ". Nothing was changed.");
        }
        if (refusals_) throw EndRun{Outcome::Refused};
    }

    // True when the statement went through.
    bool execute(int line, const std::string& text, long* affected = nullptr) {
        changed_ = true;
        if (!attempt(line, [&] { connection_.Execute(text, affected); })) return false;
        ++result_.statementsSent;
        return true;
    }

    void columns() {
        for (int j = 1; j <= static_cast<int>(columns_); ++j) {
            yield();
            const std::string name = ColumnName(in_.label, j);
            if (Access::ColumnExists(in_.table, name, in_.connectionString))
                execute(Line::DropColumn, DropColumnText(in_.table, name));
            execute(Line::AddColumn, AddColumnText(in_.table, name));
        }
    }

    void update() {
        const WhereForm form = WhereFormOf(result_.preview.fieldType);
        const std::int64_t n = static_cast<std::int64_t>(records_.size());
        for (std::int64_t i = 0; i < n; ++i) {
            yield();
            observer_.onProgress(Progress{static_cast<int>((i + 1) * 100 / n), i + 1, n});
            const std::uint32_t id = records_[static_cast<std::size_t>(i)];
            const Value& v = values_[id];
            // Records sharing a value were written by the statements of its first record.
            if (v.first != i || v.pieces == 0) continue;
            const std::string value(table_.text(id));
            const std::vector<std::string> pieces = Cut(Mark(value, in_.separator));
            for (std::size_t k = 0; k < pieces.size(); ++k) {
                yield();
                const std::string text = UpdateText(in_.table, ColumnName(in_.label, static_cast<int>(k + 1)),
                                                    pieces[k], in_.fieldReference, form, value);
                long affected = -1;
                // A statement that failed was told as it is, not as one that found no record.
                if (execute(Line::Update, text, &affected) && affected == 0)
                    fail(Line::Update, db::ErrorNumber::Unspecified,
                         "No record was found by the value " + excerpt(value) + " of the field '" + field_ +
                             "', so its piece " + std::to_string(k + 1) + " was not written.");
                observer_.onStatement(text);
            }
        }
    }

    void checkpoint() {
        attempt(Line::Checkpoint, [&] { connection_.Checkpoint(); });
    }

    void finalRead() {
        connection_.CursorLocation = ADODB::adUseClient;
        ADODB::RecordSet rs;
        if (attempt(Line::FinalRead, [&] {
                rs.Open(SelectAllText(in_.table), connection_, ADODB::adOpenKeyset, ADODB::adLockReadOnly);
            }))
            result_.table = rs.DataSource();
    }

    const Inputs& in_;
    Observer& observer_;
    Mode mode_;
    std::string field_; // the field's name, without its back-quotes
    ADODB::Connection connection_;
    Result result_;
    int refusals_ = 0;
    bool changed_ = false;

    db::TextTable table_; // the distinct values' texts, numbered as values_
    std::vector<Value> values_;
    std::vector<std::uint32_t> records_; // each record's value, in the order of the read
    std::size_t widest_ = 0;             // the most pieces of any value
    std::size_t columns_ = 1;
};

} // namespace

bool Running() {
    return running;
}

Result Run(const Inputs& inputs, Observer& observer, Mode mode) {
    if (running) {
        Result busy;
        busy.outcome = Outcome::Busy;
        busy.failures = 1;
        observer.onFailure(Failure{Line::AlreadyRunning, db::ErrorNumber::Unspecified,
                                   "A split is already running. Please wait until it has finished."});
        observer.onEnd(busy);
        return busy;
    }
    running = true;
    struct Done {
        ~Done() { running = false; }
    } done;
    Result result;
    {
        Runner runner(inputs, observer, mode);
        result = runner.go();
    }
    observer.onEnd(result);
    return result;
}

} // namespace split
