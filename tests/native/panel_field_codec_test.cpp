// The codec steps that the bulk writer runs on gathered values: UTF-16 to
// the JVM's modified UTF-8 in a member, and int entries narrowed to bytes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "panel/model/field_codec.h"

namespace {

const FieldSpec kName = {"chName", FieldKind::kText, 4, 48};
const FieldSpec kData = {"i2cDataArray", FieldKind::kBytes, 4, 120};

std::string StoredText(const std::u16string& text) {
    std::vector<KS_U8> record(60, 0);
    size_t n = StoreUtf16Text(kName, reinterpret_cast<const KS_U16*>(text.data()), text.size(),
                              record.data());
    EXPECT_EQ(0, record[4 + n]) << "a byte beyond the stored ones";
    return std::string(record.begin() + 4, record.begin() + 4 + static_cast<long>(n));
}

TEST(PanelFieldCodec, TextIsStoredAsTheJvmEncodesItAndCutAtAWholeCharacter) {
    const std::u16string tv = u"\U0001F4FA";
    struct Case {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"", ""},
        {u"ABC", "ABC"},
        {std::u16string(1, u'\0') + u"x", "\xC0\x80x"},
        {u"\u00FC\u6DB2", "\xC3\xBC\xE6\xB6\xB2"},
        {tv, "\xED\xA0\xBD\xED\xB3\xBA"},
        {std::u16string(48, u'N'), std::string(48, 'N')},
        {std::u16string(47, u'a') + u"\u00FC", std::string(47, 'a')},
        {std::u16string(46, u'b') + tv, std::string(46, 'b')},
        {std::u16string(42, u'c') + tv, std::string(42, 'c') + "\xED\xA0\xBD\xED\xB3\xBA"},
        {std::u16string(47, u'd') + tv.substr(0, 1), std::string(47, 'd')},
        {u"\u6DB2" + std::u16string(47, u'e'), "\xE6\xB6\xB2" + std::string(45, 'e')},
    };
    for (const Case& c : cases) EXPECT_EQ(c.bytes, StoredText(c.text)) << c.text.size() << " units";
}

TEST(PanelFieldCodec, EntriesBecomeTheirLowBytesUpToTheMember) {
    for (size_t count = 0; count <= 130; ++count) {
        // Exactly as many entries as given: a read beyond them shows under the sanitizers.
        std::unique_ptr<KS_S32[]> values(new KS_S32[count]);
        for (size_t k = 0; k < count; ++k) values[k] = static_cast<KS_S32>(k * 37) - 1000;
        std::vector<KS_U8> record(130, 0xAB);
        StoreBytes(kData, values.get(), count, record.data());
        for (size_t k = 0; k < record.size(); ++k) {
            bool stored = k >= 4 && k - 4 < count && k - 4 < 120;
            KS_U8 expected = stored ? static_cast<KS_U8>(values[k - 4]) : 0xAB;
            ASSERT_EQ(expected, record[k]) << count << " entries, byte " << k;
        }
    }
}

}  // namespace
