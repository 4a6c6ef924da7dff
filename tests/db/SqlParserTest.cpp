#include "db/Calendar.h"
#include "db/Error.h"
#include "db/sql/Parser.h"
#include "db/sql/Shapes.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace db::sql;

namespace {

std::string errorOf(const std::string& text) {
    try {
        parse(text);
    } catch (const db::Error& e) {
        return e.description();
    }
    return "";
}

double days(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return *db::toAccessDays({y, mo, d, h, mi, s});
}

} // namespace

TEST(SqlParser, ReadsTheProgramsSelects) {
    auto all = std::get<Select>(parse("SELECT * FROM [Order Details];"));
    EXPECT_TRUE(all.allColumns);
    EXPECT_EQ(all.table, "Order Details");

    auto one = std::get<Select>(parse("SELECT `Post Code` FROM `People`"));
    ASSERT_EQ(one.columns.size(), 1u);
    EXPECT_EQ(one.columns[0], "Post Code");
    EXPECT_EQ(one.table, "People");

    auto bare = std::get<Select>(parse("select Straße, Город, col_2 from Tabla1"));
    EXPECT_EQ(bare.columns, (std::vector<std::string>{"Straße", "Город", "col_2"}));
}

TEST(SqlParser, ReadsAlterTable) {
    auto add = std::get<AddColumn>(parse("ALTER TABLE [People] ADD COLUMN [SPLITCOLUMN1] VARCHAR"));
    EXPECT_EQ(add.table, "People");
    EXPECT_EQ(add.column, "SPLITCOLUMN1");
    EXPECT_EQ(add.size, 255);
    EXPECT_EQ(std::get<AddColumn>(parse("alter table t add c text(12)")).size, 12);
    auto drop = std::get<DropColumn>(parse("ALTER TABLE [People] DROP [SPLITCOLUMN2]"));
    EXPECT_EQ(drop.column, "SPLITCOLUMN2");
    EXPECT_EQ(std::get<DropColumn>(parse("ALTER TABLE t DROP COLUMN c;")).column, "c");

    EXPECT_EQ(errorOf("ALTER TABLE t ADD c VARCHAR(256)"), "Size of field 'c' is too long.");
    EXPECT_EQ(errorOf("ALTER TABLE t ADD c VARCHAR(0)"), "Size of field 'c' is too long.");
    EXPECT_EQ(errorOf("ALTER TABLE [t] ADD COLUMN [a b VARCHAR"), "Syntax error in ALTER TABLE statement.");
    EXPECT_NE(errorOf("ALTER TABLE t ADD c INTEGER").find("does not run"), std::string::npos);
}

TEST(SqlParser, ReadsTheSplitsUpdates) {
    auto text = std::get<Update>(
        parse("UPDATE `People` SET SPLITCOLUMN2='O''Brien' WHERE `FullName` = 'Pat O''Brien Jr'"));
    EXPECT_EQ(text.table, "People");
    ASSERT_EQ(text.assignments.size(), 1u);
    EXPECT_EQ(text.assignments[0].column, "SPLITCOLUMN2");
    EXPECT_EQ(text.assignments[0].value.text, "O'Brien");
    ASSERT_TRUE(text.where);
    EXPECT_EQ(text.where->column, "FullName");
    EXPECT_EQ(text.where->value.kind, Literal::Kind::Text);
    EXPECT_EQ(text.where->value.text, "Pat O'Brien Jr");

    auto number = std::get<Update>(parse("UPDATE `T` SET SPLITCOLUMN1='3' WHERE `Amount` = -3.5"));
    EXPECT_EQ(number.where->value.kind, Literal::Kind::Number);
    EXPECT_DOUBLE_EQ(number.where->value.number, -3.5);
    EXPECT_FALSE(number.where->value.integral);
    auto big = std::get<Update>(parse("UPDATE T SET a='' WHERE n = 9007199254740993"));
    EXPECT_TRUE(big.where->value.integral);
    EXPECT_EQ(big.where->value.integer, 9007199254740993LL); // beyond a double's exact range
    auto exp = std::get<Update>(parse("UPDATE T SET a='' WHERE n = 1e+21"));
    EXPECT_DOUBLE_EQ(exp.where->value.number, 1e21);
    // Beyond a double: infinite, never 0; below the smallest: 0.
    EXPECT_EQ(std::get<Update>(parse("UPDATE T SET a=1e400")).assignments[0].value.number, HUGE_VAL);
    EXPECT_EQ(std::get<Update>(parse("UPDATE T SET a=-1e999")).assignments[0].value.number, -HUGE_VAL);
    EXPECT_EQ(std::get<Update>(parse("UPDATE T SET a=1e-400")).assignments[0].value.number, 0.0);
    EXPECT_FALSE(
        std::get<Update>(parse("UPDATE T SET a=99999999999999999999")).assignments[0].value.integral);

    auto date =
        std::get<Update>(parse("UPDATE `T` SET SPLITCOLUMN1='x' WHERE `When` = #2020-12-31 13:45:07#"));
    EXPECT_EQ(date.where->value.kind, Literal::Kind::Date);
    EXPECT_DOUBLE_EQ(date.where->value.days, days(2020, 12, 31, 13, 45, 7));

    auto many = std::get<Update>(parse("UPDATE T SET a = Null, b = True, c = 7"));
    ASSERT_EQ(many.assignments.size(), 3u);
    EXPECT_EQ(many.assignments[0].value.kind, Literal::Kind::Null);
    EXPECT_TRUE(many.assignments[1].value.boolean);
    EXPECT_FALSE(many.where);
}

TEST(SqlParser, ReportsErrorsInTheProvidersWords) {
    // A label with a blank is bare in the assignment and cannot parse, as with the real engine.
    EXPECT_EQ(errorOf("UPDATE `T` SET My Col1='a' WHERE `F` = 'a b'"), "Syntax error in UPDATE statement.");
    EXPECT_EQ(errorOf("UPDATE `T` SET a='unterminated WHERE `F` = 'x'"), "Syntax error in UPDATE statement.");
    EXPECT_EQ(errorOf("UPDATE T SET a='x' WHERE"), "Syntax error in UPDATE statement.");
    EXPECT_EQ(errorOf("SELECT * FROM"), "Syntax error in FROM clause.");
    EXPECT_EQ(
        errorOf("SELECT a b FROM t"),
        "The SELECT statement includes a reserved word or an argument name that is misspelled or missing, "
        "or the punctuation is incorrect.");
    EXPECT_EQ(errorOf("SELECT * FROM [t] extra"), "Syntax error in FROM clause.");
    EXPECT_EQ(errorOf("UPDATE T SET a='x' WHERE d = #2020-02-30#"),
              "Syntax error in date in query expression '#2020-02-30#'.");
    EXPECT_EQ(errorOf("HELLO"),
              "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.");
    EXPECT_NE(errorOf("DELETE FROM t").find("does not run"), std::string::npos);
    EXPECT_NE(errorOf("SELECT * FROM t WHERE a = 1").find("does not run"), std::string::npos);
    EXPECT_NE(errorOf("UPDATE t SET a = b").find("does not run"), std::string::npos);
    EXPECT_NE(errorOf("UPDATE t SET a = 'x' WHERE b > 1").find("does not run"), std::string::npos);
    using namespace std::string_literals;
    // A NUL inside a text, where it is set or compared: readers of the file would cut the text there.
    const std::string nul = "The text value holds a NUL character (code 0), which a text field cannot store.";
    EXPECT_EQ(errorOf("UPDATE t SET a='x\0y'"s), nul);
    EXPECT_EQ(errorOf("UPDATE t SET a='x' WHERE b = '\0'"s), nul);
}

TEST(SqlParser, ReadsDateLiteralsInIsoAndUsOrder) {
    EXPECT_DOUBLE_EQ(*parseDateLiteral("2020-12-31"), days(2020, 12, 31));
    EXPECT_DOUBLE_EQ(*parseDateLiteral("12/31/2020"), days(2020, 12, 31));
    EXPECT_DOUBLE_EQ(*parseDateLiteral("1/2/2021 1:05 PM"), days(2021, 1, 2, 13, 5));
    EXPECT_DOUBLE_EQ(*parseDateLiteral("1/2/2021 12:00:00 AM"), days(2021, 1, 2));
    EXPECT_DOUBLE_EQ(*parseDateLiteral("2021/01/02 23:59:59"), days(2021, 1, 2, 23, 59, 59));
    EXPECT_DOUBLE_EQ(*parseDateLiteral("1/2/29"), days(2029, 1, 2));
    EXPECT_DOUBLE_EQ(*parseDateLiteral("1/2/30"), days(1930, 1, 2));
    EXPECT_DOUBLE_EQ(*parseDateLiteral("06:00"), 0.25);
    EXPECT_FALSE(parseDateLiteral("31/12/2020")); // the engine reads month first
    EXPECT_FALSE(parseDateLiteral("2020-12-31 24:00:00"));
    EXPECT_FALSE(parseDateLiteral("yesterday"));
    EXPECT_FALSE(parseDateLiteral(""));
}

namespace {

// A statement as one line, every field the parser sets, to compare two parses.
std::string shown(const Literal& l) {
    return std::to_string(static_cast<int>(l.kind)) + "|" + l.text + "|" + std::to_string(l.number) + "|" +
           std::to_string(l.integral) + "|" + std::to_string(l.integer) + "|" + std::to_string(l.days) + "|" +
           std::to_string(l.boolean);
}
std::string shown(const Statement& s) {
    if (const auto* u = std::get_if<Update>(&s)) {
        std::string out = "UPDATE " + u->table;
        for (const auto& a : u->assignments)
            out += " SET " + a.column + "=" + shown(a.value);
        if (u->where) out += " WHERE " + u->where->column + "=" + shown(u->where->value);
        return out;
    }
    if (const auto* sel = std::get_if<Select>(&s)) {
        std::string out = "SELECT " + std::to_string(sel->allColumns) + " " + sel->table;
        for (const auto& c : sel->columns)
            out += " " + c;
        return out;
    }
    if (const auto* add = std::get_if<AddColumn>(&s))
        return "ADD " + add->table + " " + add->column + " " + std::to_string(add->size);
    const auto& drop = std::get<DropColumn>(s);
    return "DROP " + drop.table + " " + drop.column;
}

std::string outcome(const std::function<const Statement&()>& parseIt) {
    try {
        return shown(parseIt());
    } catch (const db::Error& e) {
        return "error: " + e.description();
    }
}

} // namespace

// Statements sent again and again with other literals (as a split sends them) read through the
// shapes parsed before exactly as a parse from scratch reads them: literals with doubled quotes,
// names in brackets or back-quotes holding quotes, dates, numbers and several assignments; errors
// (a NUL, an unclosed literal, a syntax error) are the same too, and so are other statements.
TEST(SqlShapes, StatementsOfAShapeSeenBeforeReadAsIfParsedAnew) {
    const std::vector<std::string> pieces = {"Ada", "", "O''Brien", "a,b",        "[x]",
                                             "#1#", "`q`", "'' ''",    "Zo\u00eb", std::string("N\0L", 3)};
    const std::vector<std::string> forms = {
        "UPDATE `People` SET Address_1='%' WHERE Address = '%'",
        "UPDATE [O'Brien's] SET [it's]='%' WHERE `a'b` = '%'",
        "update People set A='%', B='%', C=NULL where D='%';",
        "UPDATE People SET A='%' WHERE D = #2020-01-31#",
        "UPDATE People SET A='%' WHERE D = -12.5",
        "UPDATE People SET A='%' WHERE D = TRUE",
        "UPDATE People SET A=5 WHERE D = '%'",
        "UPDATE People SET A='%'",
        "UPDATE People SET A='%' WHERE D = '%' AND E = '%'",
        "UPDATE People SET A='%' WHERE D = '%",
        "SELECT * FROM People WHERE A = '%'",
        "ALTER TABLE [People] ADD COLUMN [%] VARCHAR",
    };
    Shapes shapes;
    std::size_t next = 0;
    const auto check = [&](const std::string& form) {
        std::string text;
        for (char c : form)
            text += c == '%' ? pieces[next++ % pieces.size()] : std::string(1, c);
        Statement fresh;
        const std::string expected = outcome([&]() -> const Statement& { return fresh = parse(text); });
        ASSERT_EQ(outcome([&]() -> const Statement& { return shapes.parse(text); }), expected) << text;
    };
    // Each shape many times in a row, then the shapes in turn (as a split sends its columns').
    for (int round = 0; round < 3; ++round)
        for (const auto& form : forms)
            for (std::size_t n = 0; n < pieces.size(); ++n)
                check(form);
    for (std::size_t n = 0; n < 3 * pieces.size(); ++n)
        for (std::size_t f = 0; f < forms.size(); f += 1 + n % 3)
            check(forms[f]);
}
