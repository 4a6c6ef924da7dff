// Text codecs: Jet4 unicode compression, UCS-2 with surrogates, and Jet3 code pages.

#include <gtest/gtest.h>

#include <vector>

#include "jet/format/Text.h"

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

} // namespace
