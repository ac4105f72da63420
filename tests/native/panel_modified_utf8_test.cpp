// Cutting JVM text on character boundaries and decoding whatever a file holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/model/modified_utf8.h"

namespace {

size_t Prefix(const std::string& text, size_t limit) {
    return WholeCharacterPrefix(text.data(), text.size(), limit);
}

std::u16string Decode(const std::string& bytes) {
    std::vector<KS_U16> units(bytes.size() + 1);
    size_t n = DecodeModifiedUtf8(reinterpret_cast<const KS_U8*>(bytes.data()), bytes.size(),
                                  units.data());
    return std::u16string(units.begin(), units.begin() + static_cast<long>(n));
}

const std::string kUe = "\xC3\xBC";                                  // ü
const std::string kLiquid = "\xE6\xB6\xB2";                          // 液
const std::string kTvPair = "\xED\xA0\xBD\xED\xB3\xBA";              // U+1F4FA, modified
const std::string kTvStandard = "\xF0\x9F\x93\xBA";                  // U+1F4FA, standard

TEST(PanelModifiedUtf8, TextThatFitsIsKeptWhole) {
    EXPECT_EQ(0u, Prefix("", 48));
    EXPECT_EQ(48u, Prefix(std::string(48, 'a'), 48));
    EXPECT_EQ(47u, Prefix(std::string(45, 'a') + kUe, 48));
}

TEST(PanelModifiedUtf8, LongTextIsCutBeforeTheCharacterThatDoesNotFit) {
    EXPECT_EQ(48u, Prefix(std::string(60, 'a'), 48));
    EXPECT_EQ(47u, Prefix(std::string(47, 'a') + kUe, 48));
    EXPECT_EQ(46u, Prefix(std::string(46, 'a') + kLiquid, 48));
    EXPECT_EQ(48u, Prefix(std::string(45, 'a') + kLiquid + "b", 48));
    EXPECT_EQ(99u, Prefix(std::string(33, 'x') + kLiquid + kLiquid + std::string(60, 'y') + kUe, 100));
}

TEST(PanelModifiedUtf8, ASurrogatePairIsKeptOrDroppedAsOne) {
    // The high half would fit, the low half not: neither goes in.
    EXPECT_EQ(44u, Prefix(std::string(44, 'a') + kTvPair, 48));
    EXPECT_EQ(45u, Prefix(std::string(45, 'a') + kTvPair, 48));
    EXPECT_EQ(48u, Prefix(std::string(42, 'a') + kTvPair + "b", 48));
}

TEST(PanelModifiedUtf8, DecodesWhatTheJvmWrites) {
    EXPECT_EQ(u"Panel", Decode("Panel"));
    EXPECT_EQ(u"\u00FC\u6DB2", Decode(kUe + kLiquid));
    EXPECT_EQ(u"\U0001F4FA", Decode(kTvPair));
    EXPECT_EQ(std::u16string(1, u'\0'), Decode("\xC0\x80"));
}

TEST(PanelModifiedUtf8, DecodesStandardUtf8AndReplacesWhatIsNoText) {
    EXPECT_EQ(u"\U0001F4FA", Decode(kTvStandard));
    EXPECT_EQ(u"a\uFFFD(b", Decode("a\xC3(b"));              // lead byte without continuation
    EXPECT_EQ(u"\uFFFD\uFFFD", Decode("\xFF\x80"));           // no lead, stray continuation
    EXPECT_EQ(u"x\uFFFD\uFFFD", Decode("x\xE6\xB6"));         // cut at the end
    EXPECT_EQ(u"\uFFFD", Decode("\xF4\x90\x80\x80"));         // beyond U+10FFFF
    EXPECT_EQ(std::u16string(1, u'\xD83D'), Decode("\xED\xA0\xBD"));  // a lone half stays a unit
}

}  // namespace
