// Text codecs: UTF-8, Jet4 unicode compression, UCS-2 with surrogates, and Jet3 code pages.

#include <gtest/gtest.h>

#include <vector>

#include "jet/encode/FieldEncoder.h"
#include "jet/format/Text.h"
#include "jet/format/TextEncoder.h"
#include "jet/format/Utf8.h"

namespace {

std::string jet4(std::vector<std::uint8_t> b) {
    return jet::decodeJet4Text(b.data(), b.size());
}

TEST(Text, CompressedUnicodeSwitchesBetweenOneAndTwoBytesPerCharacter) {
    // FF FE, "ab" compressed, 00 switches to UCS-2 for "Мир", 00 back to compressed "!".
    EXPECT_EQ(jet4({0xFF, 0xFE, 'a', 'b', 0x00, 0x1C, 0x04, 0x38, 0x04, 0x40, 0x04, 0x00, '!'}), "abМир!");
    // The value may end in the uncompressed mode, and a lone header is the empty text.
    EXPECT_EQ(jet4({0xFF, 0xFE, 'x', 0x00, 0x1C, 0x04}), "xМ");
    EXPECT_EQ(jet4({0xFF, 0xFE}), "");
    // Latin-1 characters in compressed runs are code points, not bytes.
    EXPECT_EQ(jet4({0xFF, 0xFE, 0xE4, 0xE4}), "ää");
    // Half a character at the end of an uncompressed run is dropped, not read past.
    EXPECT_EQ(jet4({0xFF, 0xFE, 'a', 0x00, 0x41}), "a");
}

// Plain ASCII takes a shorter way to the same bytes: compressed from three characters on when the
// column allows it, UCS-2 below that; anything else (a NUL, a byte from 0x80 up) takes the long way.
TEST(Text, AsciiIsEncodedAsTheUtf16PathEncodesIt) {
    const std::vector<std::string> texts{"", "a", "ab", "abc", "Ada K. Lovelace17", std::string(300, '~')};
    for (const std::string& text : texts)
        for (const bool compressible : {false, true}) {
            jet::Bytes ascii{1, 2, 3, 4, 5, 6, 7}; // what a buffer held before does not stay
            ASSERT_TRUE(jet::encodeJet4Ascii(text, compressible, ascii)) << text;
            EXPECT_EQ(ascii, jet::encodeJet4Text(jet::utf16FromUtf8(text), compressible)) << text;
        }
    jet::Bytes untouched{9};
    EXPECT_FALSE(jet::encodeJet4Ascii(std::string("a\0b", 3), true, untouched));
    EXPECT_FALSE(jet::encodeJet4Ascii("caf\xC3\xA9", true, untouched));
    EXPECT_FALSE(jet::encodeJet4Ascii("\x7F\x80", false, untouched));
    EXPECT_EQ(untouched, jet::Bytes{9});
}

// The one reading of UTF-8 every layer uses: what it refuses, the encoder refuses at that byte.
TEST(Text, OnlyWellFormedUtf8Decodes) {
    const std::string good = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"; // a, é, €, U+1F600
    std::vector<char32_t> read;
    for (std::size_t at = 0; at < good.size();)
        read.push_back(jet::nextCodePoint(good, at).value_or(0));
    EXPECT_EQ(read, (std::vector<char32_t>{U'a', 0xE9, 0x20AC, 0x1F600}));
    EXPECT_EQ(jet::utf16Length(good), 5u); // the emoji is a surrogate pair
    // Plain ASCII is counted eight bytes at a time: up to a word holding more, and after it.
    EXPECT_EQ(jet::utf16Length("Ada K. Lovelace17"), 17u);
    EXPECT_EQ(jet::utf16Length("abcdef\xC3\xA9xyz"), 10u);
    EXPECT_EQ(jet::utf16Length("abcdefgh" + good + "12345678"), 21u);

    for (const std::string bad : {"\x80", "\xC3", "\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                                  "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80",
                                  "\xC3"
                                  "A"}) {
        const std::string text = "ok" + bad;
        std::size_t at = 2;
        EXPECT_FALSE(jet::nextCodePoint(text, at)) << bad;
        EXPECT_EQ(at, 2u) << bad;
        try {
            jet::utf16FromUtf8(text);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const jet::Error& e) {
            EXPECT_NE(std::string(e.what()).find("(byte 2)"), std::string::npos) << e.what();
        }
    }
}

TEST(Text, PlainUcs2PairsSurrogatesAndReplacesLoneOnes) {
    EXPECT_EQ(jet4({'a', 0, 0x3D, 0xD8, 0x00, 0xDE, 'a', 0}), "a\xF0\x9F\x98\x80"
                                                              "a"); // U+1F600
    EXPECT_EQ(jet4({0x3D, 0xD8, 'a', 0}), "\xEF\xBF\xBD"
                                          "a");    // high alone
    EXPECT_EQ(jet4({0x00, 0xDE}), "\xEF\xBF\xBD"); // low alone
    EXPECT_EQ(jet4({'a', 0, 'b'}), "a");           // odd byte
}

TEST(Text, Jet3CodePages) {
    const std::uint8_t bytes[] = {'A', 0x80, 0xE4, 0x81, 0xC0};
    EXPECT_EQ(jet::decodeCodePage(bytes, sizeof bytes, 1252), "A€ä\xC2\x81"
                                                              "À");
    EXPECT_EQ(jet::decodeCodePage(bytes, sizeof bytes, 0), "A€ä\xC2\x81"
                                                           "À"); // default: 1252
    EXPECT_EQ(jet::decodeCodePage(bytes, sizeof bytes, 1251), "AЂдЃА");
    EXPECT_EQ(jet::decodeCodePage(bytes, sizeof bytes, 1250), "A€ä\xC2\x81"
                                                              "Ŕ");
}

std::vector<std::uint8_t> bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(Text, BuiltInCodePagesWriteBackEveryByteTheyRead) {
    for (unsigned cp : {1252u, 1250u, 1251u, 28591u}) {
        for (unsigned b = 1; b < 256; ++b) {
            const std::uint8_t one = static_cast<std::uint8_t>(b);
            const std::string text = jet::decodeCodePage(&one, 1, cp);
            EXPECT_EQ(jet::encodeCodePage(text, cp), std::vector<std::uint8_t>{one}) << cp << " byte " << b;
        }
    }
}

TEST(Text, CharactersACodePageLacksAreRefusedByName) {
    auto refusal = [](const std::string& text, unsigned cp) -> std::string {
        try {
            jet::encodeCodePage(text, cp);
        } catch (const jet::Unencodable& e) {
            return e.what();
        }
        return "";
    };
    // Never a "?" in its place: the message names the character and the code page.
    const std::string cyrillic = refusal("Grüße, Жанна", 1252);
    EXPECT_NE(cyrillic.find("\"Ж\" (U+0416)"), std::string::npos) << cyrillic;
    EXPECT_NE(cyrillic.find("1252 (Western European)"), std::string::npos) << cyrillic;
    EXPECT_NE(refusal("ä", 1251).find("U+00E4"), std::string::npos);
    EXPECT_NE(refusal("\xF0\x9F\x98\x80", 1250).find("U+1F600"), std::string::npos);
    EXPECT_EQ(refusal("Łódź", 1250), "");
}

TEST(Text, EastAsianCodePagesGoThroughTheConverters) {
    if (!jet::codePageKnown(936)) GTEST_SKIP() << "the C library has no converter for code page 936";
    EXPECT_EQ(jet::encodeCodePage("a中文", 936), (std::vector<std::uint8_t>{'a', 0xD6, 0xD0, 0xCE, 0xC4}));
    const std::vector<std::uint8_t> gbk{'a', 0xD6, 0xD0, 0xCE, 0xC4, 'b'};
    EXPECT_EQ(jet::decodeCodePage(gbk.data(), gbk.size(), 936), "a中文b");
    // Half a character at the end and a byte GBK does not define read as U+FFFD, and the rest still reads.
    const std::vector<std::uint8_t> broken{0xD6, 0xD0, 0xFF, 'x', 0xCE};
    EXPECT_EQ(jet::decodeCodePage(broken.data(), broken.size(), 936), "中\xEF\xBF\xBDx\xEF\xBF\xBD");
    EXPECT_THROW(jet::encodeCodePage("Ж\xF0\x9F\x98\x80", 936), jet::Unencodable); // no emoji in GBK
}

TEST(Text, ACodePageFollowsTheSortOrderWhenTheHeaderNamesNone) {
    EXPECT_EQ(jet::codePageOfSortOrder(0x0409), 1252u); // General
    EXPECT_EQ(jet::codePageOfSortOrder(0x0804), 936u);  // Chinese (PRC)
    EXPECT_EQ(jet::codePageOfSortOrder(0x0419), 1251u); // Russian
    EXPECT_EQ(jet::codePageOfSortOrder(0x0405), 1250u); // Czech
    EXPECT_EQ(jet::codePageOfSortOrder(0x0408), 1253u); // Greek
    EXPECT_EQ(jet::jet3CodePage(0, 0x0804), 936u);
    EXPECT_EQ(jet::jet3CodePage(1250, 0x0409), 1250u); // the header's own field comes first
    EXPECT_EQ(jet::jet3CodePage(0, 0x7777), 1252u);
}

TEST(Text, Jet3TextColumnsTakeCodePageBytesUpToTheirLength) {
    const jet::Format& f = jet::formatFor(jet::Version::Jet3);
    jet::Column c;
    c.name = "Name";
    c.type = jet::ColumnType::Text;
    c.length = 4;
    jet::Value v;
    v.kind = jet::Value::Kind::Text;
    v.text = "Äpfe";
    EXPECT_EQ(jet::encodeField(f, 1252, c, v, nullptr).bytes, bytes("\xC4pfe"));
    c.codePage = 1250; // the column's own code page wins over the database's
    v.text = "Łódź";
    EXPECT_EQ(jet::encodeField(f, 1252, c, v, nullptr).bytes, (std::vector<std::uint8_t>{0xA3, 0xF3, 'd', 0x9F}));
    c.codePage = 0;
    v.text = "Äpfel";
    EXPECT_THROW(jet::encodeField(f, 1252, c, v, nullptr), jet::Error);
    if (jet::codePageKnown(936)) {
        v.text = "中文";
        EXPECT_EQ(jet::encodeField(f, 936, c, v, nullptr).bytes.size(), 4u);
        v.text = "中文字"; // three characters, but six bytes
        try {
            jet::encodeField(f, 936, c, v, nullptr);
            ADD_FAILURE() << "six bytes went into a column of four";
        } catch (const jet::Error& e) {
            EXPECT_NE(std::string(e.what()).find("6 bytes in code page 936"), std::string::npos) << e.what();
        }
    }
}

} // namespace
