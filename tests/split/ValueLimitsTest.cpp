// Values at the edges the split counts and stores: pieces of characters beyond the Basic Multilingual
// Plane at the 255-character limit (Access counts them as two), and values whose byte lengths lie
// around the boundaries of the length the split keeps each distinct value with.

#include "SplitSupport.h"

#include <gtest/gtest.h>

using namespace splittest;

namespace {

const std::string Emoji = "\U0001F600"; // two UTF-16 units

std::string times(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// Every piece of every record (the values given, in order, as the data layer reads them back) is the
// piece expected, and the field is as it was.
void expectPieces(const std::string& path, const std::vector<std::string>& values,
                  const std::vector<std::vector<std::string>>& pieces) {
    const auto rows = readTable(path, "T");
    ASSERT_EQ(rows.size(), values.size() + 1);
    EXPECT_TRUE(column(rows, "Value") == values) << "the field changed";
    std::size_t widest = 0;
    for (const auto& p : pieces)
        widest = std::max(widest, p.size());
    for (std::size_t j = 0; j < widest; ++j) {
        const auto got = column(rows, "SPLITCOLUMN" + std::to_string(j + 1));
        for (std::size_t r = 0; r < values.size(); ++r) {
            const std::string want = j < pieces[r].size() ? pieces[r][j] : "<null>";
            EXPECT_TRUE(got[r] == want) << "record " << r + 1 << ", piece " << j + 1 << ": " << got[r].size()
                                        << " bytes read back, " << want.size() << " expected";
        }
    }
}

TEST(SplitLimits, CharactersBeyondTheBasicPlaneCountTwiceAgainstThe255Characters) {
    const std::string fits1 = times(Emoji, 127) + "a";        // 255 units, 128 characters
    const std::string fits2 = std::string(253, 'b') + Emoji;  // 255 units
    const std::string fits3 = "\u00e9" + times(Emoji, 127);   // 255 units, a two-byte character first
    const std::string over1 = times(Emoji, 128);               // 256 units, 128 characters
    const std::string over2 = std::string(254, 'c') + Emoji;   // 256 units
    const std::vector<std::string> fitting = {fits1 + " x", "y " + fits2, fits3 + " " + fits1};
    const jet::ColumnSpec memo{"Value", jet::ColumnType::Memo};

    // Pieces of 255 units are written whole and read back as they were; the run never fails midway.
    TempDir dir;
    const std::string path = makeValues(dir, {fitting[0], fitting[1], fitting[2]}, jet::Version::Ace12, memo);
    Recorder r;
    const split::Result result = runSplit(path, "T", "Value", split::Separator::space(), r);
    EXPECT_EQ(result.outcome, split::Outcome::Completed) << r.failureTexts();
    EXPECT_EQ(result.failures, 0) << r.failureTexts();
    expectPieces(path, fitting, {{fits1, "x"}, {"y", fits2}, {fits3, fits1}});
    EXPECT_ORACLE_AGREES(path, "T");

    // One unit more, in either kind of character, is refused before anything changes.
    TempDir over;
    const std::string overPath =
        makeValues(over, {fitting[0], over1 + " z", fitting[1], "z " + over2}, jet::Version::Ace12, memo);
    const std::string before = fileBytes(overPath);
    Recorder refused;
    const split::Result no = runSplit(overPath, "T", "Value", split::Separator::space(), refused);
    EXPECT_EQ(no.outcome, split::Outcome::Refused) << refused.failureTexts();
    EXPECT_EQ(no.statementsSent, 0);
    ASSERT_EQ(refused.failures.size(), 1u) << refused.failureTexts();
    EXPECT_NE(refused.failures[0].description.find("255 characters a text field holds, in 2 records, the first: record 2 "), std::string::npos)
        << refused.failures[0].description;
    EXPECT_TRUE(fileBytes(overPath) == before) << "the refused split changed the file";
}

// The distinct values a split holds are kept with their byte length in front, seven bits a byte: the
// lengths around one and two bytes' worth (127, 16,383) are where a slip would read a value as another
// length. Each value is a few pieces joined by a long separator, so that the longest fit in a row, and
// each stands in two records, so that both are found again by their value.
TEST(SplitLimits, ValuesOfEveryLengthAroundTheStoredLengthBoundariesSplitAndReadBack) {
    const std::string separator = std::string(4000, '#');
    std::vector<std::string> values;
    std::vector<std::vector<std::string>> pieces;
    for (const std::size_t length : {126u, 127u, 128u, 129u, 16382u, 16383u, 16384u, 16385u}) {
        for (const bool wide : {false, true}) {
            // The pieces: one for a short value, five around four separators for a long one; a "wide" value
            // has two-byte characters, so its byte length is not its character count.
            const std::size_t seps = length < separator.size() ? 0 : 4;
            std::size_t rest = length - seps * separator.size();
            std::vector<std::string> p;
            for (std::size_t k = 0; k <= seps; ++k) {
                std::size_t n = (rest / (seps + 1 - k));
                rest -= n;
                std::string piece = std::to_string(length) + (wide ? "w" : "n") + std::to_string(k) + ":";
                while (piece.size() + (wide ? 2 : 1) <= n)
                    piece += wide ? "\u00e9" : "v";
                piece += std::string(n - piece.size(), '.');
                p.push_back(piece);
            }
            std::string value;
            for (std::size_t k = 0; k < p.size(); ++k)
                value += (k ? separator : "") + p[k];
            ASSERT_EQ(value.size(), length);
            for (int twice = 0; twice < 2; ++twice) {
                values.push_back(value);
                pieces.push_back(p);
            }
        }
    }
    std::vector<std::optional<std::string>> stored(values.begin(), values.end());
    TempDir dir;
    const std::string path = makeValues(dir, stored, jet::Version::Ace12, {"Value", jet::ColumnType::Memo});
    Recorder r;
    const split::Result result = runSplit(path, "T", "Value", split::Separator::other(separator), r);
    EXPECT_EQ(result.outcome, split::Outcome::Completed) << r.failureTexts();
    EXPECT_EQ(result.failures, 0) << r.failureTexts();
    ASSERT_TRUE(result.plan);
    EXPECT_EQ(result.plan->columns.size(), 5u);
    expectPieces(path, values, pieces);
}

} // namespace
