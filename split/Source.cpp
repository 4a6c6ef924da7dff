#include "split/Source.h"

#include "jet/Jet.h"

#include "db/Error.h"
#include "db/FiledAhead.h"
#include "db/RecordSet.h"
#include "db/TextCase.h"
#include "db/ValueText.h"
#include "split/Reporter.h"
#include "split/Statements.h"

namespace split {

namespace {

bool endsInDigit(const std::string& name) {
    return !name.empty() && name.back() >= '0' && name.back() <= '9';
}

void open(ADODB::Connection& cn, Source& s, Reporter& r, Opening opening) {
    const auto openAs = [&](int mode) {
        return [&cn, &s, mode] {
            cn.Mode = mode;
            cn.Open(s.inputs.connectionString);
        };
    };
    if (opening == Opening::ForLooking) {
        r.require(Step::Open, openAs(ADODB::adModeRead));
        return;
    }
    Failure why;
    why.step = Step::Open;
    try {
        openAs(ADODB::adModeReadWrite)();
        return;
    } catch (...) {
        Reporter::describeCurrent(why);
    }
    r.fail(why);
    if (opening == Opening::ForChanging) throw Stop{Outcome::Stopped};
    // The split would stop here; a dry run says so and shows what it can read of the file.
    s.notWritable = why.description;
    r.require(Step::Open, openAs(ADODB::adModeRead));
}

void refuseSystemTable(ADODB::Connection& cn, const Source& s, Reporter& r) {
    std::string type;
    r.require(Step::ReadField, [&] {
        ADODB::RecordSet schema = cn.OpenSchema(ADODB::adSchemaTables);
        for (; !schema.Eof(); schema.MoveNext()) {
            const db::Variant& name = schema("TABLE_NAME").Value();
            if (name.isText() && db::sameName(name.get<std::string>(), s.inputs.table)) {
                const db::Variant& t = schema("TABLE_TYPE").Value();
                if (t.isText()) type = t.get<std::string>();
                break;
            }
        }
    });
    if (!jet::isSystemTable(s.inputs.table, type)) return;
    Failure f;
    f.step = Step::ReadField;
    f.number = db::ErrorNumber::Unspecified;
    f.description = "You do not have the necessary permissions to use the '" + s.inputs.table +
                     "' object. Have your system administrator or the person who created this object "
                     "establish the appropriate permissions for you.";
    r.fail(f);
    throw Stop{Outcome::Refused};
}

void readValues(ADODB::Connection& cn, Source& s, Reporter& r) {
    ADODB::RecordSet rs;
    r.require(Step::ReadField, [&] {
        rs.Open(SelectFieldText(s.inputs.table, s.inputs.fieldReference), cn, ADODB::adOpenStatic,
                ADODB::adLockUnspecified);
    });
    r.require(Step::FieldType, [&] { s.fieldType = rs.Fields()(0).Type(); });
    std::int64_t n = 0;
    r.require(Step::RecordCount, [&] { n = rs.RecordCount(); });
    s.records.reserve(static_cast<std::size_t>(n));
    s.first.reserve(static_cast<std::size_t>(n));
    s.texts.reserve(static_cast<std::size_t>(n));
    // Each value's slot among the texts is asked for as the value is read, and the value filed a few
    // records later (FiledAhead). Filed in the order read, the values keep their numbers.
    struct Waiting {
        std::string text;
        std::uint32_t hash = 0;
    };
    db::FiledAhead<Waiting, 8> waiting;
    auto file = [&](const Waiting& w) {
        const auto [id, added] = s.texts.insert(w.text, w.hash);
        if (added) s.holders.push_back(0);
        ++s.holders[id];
        s.records.push_back(id);
        s.first.push_back(added);
    };
    for (std::int64_t i = 0; i < n; ++i) {
        r.yield();
        r.require(Step::ReadValue, [&] {
            // A text is taken where the record set holds it; other values are made text.
            const db::Variant& value = rs.Fields()(0).Value();
            std::string made;
            if (!value.isText()) made = db::valueText(value).value_or(std::string());
            const std::string_view text = value.isText() ? std::string_view(value.get<std::string>()) : made;
            Waiting& w = waiting.next(file);
            w.text.assign(text);
            w.hash = db::TextTable::hashOf(text);
            s.texts.prefetch(w.hash);
        });
        r.require(Step::NextRecord, [&] { rs.MoveNext(); });
    }
    r.require(Step::ReadValue, [&] { waiting.finish(file); });
    // Room was made for every record to hold a value of its own; most tables hold fewer.
    s.texts.shrinkToFit();
    s.holders.shrink_to_fit();
    r.attempt(Step::CloseRead, [&] { rs.Close(); });
}

// The table's columns and room, and how many values each column a label could name holds: one read
// of those columns.
void readShape(ADODB::Connection& cn, Source& s, Reporter& r) {
    r.require(Step::ReadField, [&] { s.shape = cn.Shape(s.inputs.table); });
    const std::string wanted = s.inputs.fieldName();
    s.field = wanted;
    std::string select;
    std::vector<std::size_t> counted;
    for (const db::StoreColumn& c : s.shape.columns) {
        if (db::sameName(c.name, wanted)) s.field = c.name;
        s.columns.push_back({c, -1});
        if (endsInDigit(c.name) && !db::sameName(c.name, wanted) && c.name.find('`') == std::string::npos) {
            select += (select.empty() ? "SELECT `" : ", `") + c.name + "`";
            counted.push_back(s.columns.size() - 1);
        }
    }
    if (counted.empty()) return;
    r.require(Step::ReadField, [&] {
        ADODB::RecordSet rs;
        rs.Open(select + " FROM `" + s.inputs.table + "`", cn, ADODB::adOpenStatic, ADODB::adLockUnspecified);
        for (std::size_t k : counted)
            s.columns[k].values = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            r.yield();
            for (std::size_t k = 0; k < counted.size(); ++k)
                if (!rs.Fields()(static_cast<int>(k)).Value().isNull()) ++s.columns[counted[k]].values;
        }
        rs.Close();
    });
}

} // namespace

const TableColumn* Source::findColumn(std::string_view name) const {
    for (const TableColumn& c : columns)
        if (db::sameName(c.column.name, std::string(name))) return &c;
    return nullptr;
}

std::shared_ptr<Source> Read(const Inputs& inputs, Reporter& reporter, Opening opening,
                             ADODB::Connection& connection) {
    auto source = std::make_shared<Source>();
    source->inputs = inputs;
    open(connection, *source, reporter, opening);
    refuseSystemTable(connection, *source, reporter);
    readValues(connection, *source, reporter);
    readShape(connection, *source, reporter);
    source->storable = Access::TextStorageTestFor(inputs.connectionString);
    return source;
}

} // namespace split
