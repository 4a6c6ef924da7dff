#include "split/Apply.h"

#include "db/Error.h"
#include "split/Excerpt.h"
#include "split/Statements.h"

namespace split {

namespace {

class Applier {
public:
    Applier(const Plan& plan, Reporter& reporter, Result& result, ADODB::Connection& connection)
        : plan_(plan), source_(*plan.source), r_(reporter), result_(result), table_(source_.inputs.table),
          connection_(&connection) {
        r_.setHowFar([this] {
            if (record_ < 0) return "while it made the field " + column_;
            return "at record " + std::to_string(record_ + 1) + " of " + std::to_string(source_.recordCount()) +
                   ", its fields made";
        });
    }
    ~Applier() { r_.setHowFar({}); }
    Applier(const Applier&) = delete;
    Applier& operator=(const Applier&) = delete;

    void go() {
        try {
            columns();
            update();
        } catch (const Stop&) {
            if (changed_ && !r_.changesEnded()) checkpoint();
            throw;
        }
        checkpoint();
        finalRead();
    }

private:
    // True when the statement went through. A failure is told with what `makeAbout()` makes.
    template <class MakeAbout> bool executeAbout(Step step, const std::string& text, long* affected, MakeAbout&& makeAbout) {
        changed_ = true;
        if (!r_.attemptAbout(step, [&] { connection_->Execute(text, affected); }, makeAbout)) return false;
        ++result_.statementsSent;
        return true;
    }
    bool execute(Step step, const std::string& text, long* affected = nullptr, const Failure& about = {}) {
        return executeAbout(step, text, affected, [&] { return about; });
    }

    void columns() {
        for (const PlannedColumn& c : plan_.columns) {
            r_.yield();
            column_ = c.name;
            Failure about;
            about.column = c.name;
            switch (c.fate) {
            case PlannedColumn::Fate::Refill:
                if (c.valuesNow != 0) execute(Step::EmptyColumn, EmptyColumnText(table_, c.name), nullptr, about);
                break;
            case PlannedColumn::Fate::Replace:
                execute(Step::DropColumn, DropColumnText(table_, c.name), nullptr, about);
                execute(Step::AddColumn, AddColumnText(table_, c.name), nullptr, about);
                break;
            case PlannedColumn::Fate::New:
                execute(Step::AddColumn, AddColumnText(table_, c.name), nullptr, about);
                break;
            }
        }
    }

    void update() {
        const WhereForm form = WhereFormOf(source_.fieldType);
        const std::int64_t n = source_.recordCount();
        std::string value;
        std::vector<std::string_view> pieces;
        UpdateTexts texts(table_, source_.inputs.fieldReference, form);
        for (std::int64_t i = 0; i < n; ++i) {
            record_ = i;
            r_.yield();
            r_.observer().onProgress(Progress{static_cast<int>((i + 1) * 100 / n), i + 1, n});
            const std::uint32_t id = source_.records[static_cast<std::size_t>(i)];
            // Records sharing a value were written by the statements of its first record.
            if (!source_.first[static_cast<std::size_t>(i)] || plan_.pieceCount(id) == 0) continue;
            value.assign(source_.text(id));
            texts.setValue(value);
            plan_.piecesInto(id, pieces);
            for (std::size_t k = 0; k < pieces.size(); ++k) {
                r_.yield();
                const std::string& column = plan_.columns[k].name;
                const std::string& text = texts.text(k, column, pieces[k]);
                auto aboutThis = [&] {
                    Failure about;
                    about.value = value;
                    about.records = source_.holders[id];
                    about.column = column;
                    return about;
                };
                long affected = -1;
                // A statement that failed was told as it is, not as one that found no record.
                if (executeAbout(Step::Update, text, &affected, aboutThis) && affected == 0) {
                    Failure about = aboutThis();
                    about.step = Step::Update;
                    about.number = db::ErrorNumber::Unspecified;
                    about.description = "No record was found by the value " + Excerpt(value) + " of the field '" +
                                        source_.field + "', so its piece " + std::to_string(k + 1) + " was not written.";
                    r_.fail(about);
                }
                r_.observer().onStatement(text);
            }
        }
    }

    void checkpoint() {
        r_.attempt(Step::Checkpoint, [&] { connection_->Checkpoint(); });
    }

    void finalRead() {
        connection_->CursorLocation = ADODB::adUseClient;
        ADODB::RecordSet rs;
        if (r_.attempt(Step::FinalRead, [&] {
                rs.Open(SelectAllText(table_), *connection_, ADODB::adOpenKeyset, ADODB::adLockReadOnly);
            }))
            result_.table = rs.DataSource();
    }

    const Plan& plan_;
    const Source& source_;
    Reporter& r_;
    Result& result_;
    const std::string table_;
    ADODB::Connection* connection_;
    bool changed_ = false;
    // How far it got: the field in hand, then the record in hand (from 0).
    std::string column_;
    std::int64_t record_ = -1;
};

} // namespace

void Apply(const Plan& plan, Reporter& reporter, Result& result, ADODB::Connection& connection) {
    Applier(plan, reporter, result, connection).go();
}

} // namespace split
