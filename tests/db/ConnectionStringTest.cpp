#include "db/ConnectionString.h"
#include "db/Error.h"

#include <gtest/gtest.h>

using db::ConnectionSettings;
using db::Provider;

namespace {

long errorNumberOf(const std::string& text) {
    try {
        db::parseConnectionString(text);
    } catch (const db::Error& e) {
        return e.number();
    }
    return 0;
}

} // namespace

TEST(ConnectionString, ReadsTheStringsTheProgramBuilds) {
    ConnectionSettings ace =
        db::parseConnectionString("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/home/u/My Data.accdb;JET "
                                  "OLEDB:Database Password=s3 cret");
    EXPECT_EQ(ace.provider, Provider::Ace12);
    EXPECT_EQ(ace.dataSource, "/home/u/My Data.accdb");
    EXPECT_EQ(ace.databasePassword, "s3 cret");

    ConnectionSettings jet = db::parseConnectionString(
        "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a.mdb;JET OLEDB:Database Password=");
    EXPECT_EQ(jet.provider, Provider::Jet4);
    EXPECT_EQ(jet.dataSource, "C:\\a.mdb");
    EXPECT_EQ(jet.databasePassword, "");
}

TEST(ConnectionString, KeysIgnoreCaseAndBlanksButValuesStandAsGiven) {
    ConnectionSettings s = db::parseConnectionString(
        " provider = microsoft.ace.oledb.12.0 ;DATA SOURCE= /x.mdb ;jet oledb:database password=P=W");
    EXPECT_EQ(s.provider, Provider::Ace12);
    EXPECT_EQ(s.dataSource, " /x.mdb ");
    EXPECT_EQ(s.databasePassword, "P=W"); // only the first "=" separates key from value
}

TEST(ConnectionString, APathHoldingASemicolonIsCutThere) {
    // The rest of the path reads as a clause of its own, which has no "=".
    EXPECT_EQ(
        errorNumberOf(
            "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/tmp/a;b.accdb;JET OLEDB:Database Password="),
        db::ErrorNumber::Unspecified);
    // With an "=" in the rest, the clause is an unknown key and the path stays cut.
    ConnectionSettings s = db::parseConnectionString(
        "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/tmp/a;b=c.accdb;JET OLEDB:Database Password=");
    EXPECT_EQ(s.dataSource, "/tmp/a");
}

TEST(ConnectionString, QuotedValuesHoldSemicolonsAndQuotes) {
    ConnectionSettings s = db::parseConnectionString(
        "Provider='Microsoft.ACE.OLEDB.12.0';Data Source = \"/tmp/a;b \"\"c\"\".accdb\" ;"
        "JET OLEDB:Database Password='it''s;x'");
    EXPECT_EQ(s.provider, Provider::Ace12);
    EXPECT_EQ(s.dataSource, "/tmp/a;b \"c\".accdb");
    EXPECT_EQ(s.databasePassword, "it's;x");
    // A quote left open, or text after the closing quote, is malformed.
    EXPECT_EQ(errorNumberOf("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=\"/tmp/a;b"), db::ErrorNumber::Unspecified);
    EXPECT_EQ(errorNumberOf("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=\"/a\"b;"), db::ErrorNumber::Unspecified);
}

TEST(ConnectionString, AQuotedValueReadsBackAsItWasWhateverItHolds) {
    // A password such as "x;Data Source=/other.mdb" must stay a password, not name another file.
    for (const std::string value : {"plain", " spaced ", "a;b", "x;Data Source=/other.mdb", "\"q\"", "'q'",
                                    " \"lead", "semi;\"both'", ""}) {
        const std::string text = "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + db::quotedValue("/d/" + value) +
                                 ";JET OLEDB:Database Password=" + db::quotedValue(value);
        const ConnectionSettings s = db::parseConnectionString(text);
        EXPECT_EQ(s.dataSource, "/d/" + value) << text;
        EXPECT_EQ(s.databasePassword, value) << text;
    }
    EXPECT_EQ(db::quotedValue("/home/u/My Data.accdb"), "/home/u/My Data.accdb"); // plain values stand as given
}

TEST(ConnectionString, UnknownOrMissingProvidersFail) {
    EXPECT_EQ(errorNumberOf("Provider=SQLOLEDB;Data Source=x"), db::ErrorNumber::ProviderNotFound);
    EXPECT_EQ(errorNumberOf("Data Source=x.mdb"), db::ErrorNumber::Unspecified);
    EXPECT_EQ(errorNumberOf("=x;Provider=Microsoft.ACE.OLEDB.12.0"), db::ErrorNumber::Unspecified);
}
