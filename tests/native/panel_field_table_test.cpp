// The field tables: every record byte has exactly one owner, the Java field
// contract is complete, and each option is wired to its own translators.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "include/ks_unf_panel.h"
#include "panel/model/field_table.h"

namespace {

std::map<std::string, FieldSpec> ByName(const RecordLayout& layout) {
    std::map<std::string, FieldSpec> fields;
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        EXPECT_TRUE(fields.emplace(def.name, def).second) << "twice: " << def.name;
        return true;
    });
    return fields;
}

// Owners per byte: fields and reserved words; only the padding byte has none.
std::vector<int> Owners(const RecordLayout& layout) {
    std::vector<int> owners(layout.recordSize, 0);
    auto own = [&](size_t offset, size_t width) {
        ASSERT_LE(offset + width, owners.size());
        for (size_t i = offset; i < offset + width; ++i) ++owners[i];
    };
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        own(def.offset, def.width);
        return true;
    });
    for (size_t i = 0; i < layout.reservedCount; ++i)
        own(layout.reserved[i].offset, layout.reserved[i].width);
    return owners;
}

TEST(PanelFieldTable, EveryRecordByteHasExactlyOneOwner) {
    const size_t padding = offsetof(KS_PANEL_DATA_BODY_S_R120, stPanelAdvanceInfo) + 215;
    for (const RecordLayout* layout : {&R100BodyLayout(), &R120BodyLayout(), &PanelHeaderLayout()}) {
        std::vector<int> owners = Owners(*layout);
        for (size_t i = 0; i < owners.size(); ++i) {
            int expected = layout == &R120BodyLayout() && i == padding ? 0 : 1;
            EXPECT_EQ(expected, owners[i]) << layout->recordSize << "-byte record, byte " << i;
        }
    }
}

TEST(PanelFieldTable, GenerationsDeclareTheJavaContract) {
    auto r100 = ByName(R100BodyLayout());
    auto r120 = ByName(R120BodyLayout());
    EXPECT_EQ(73u, r100.size());
    EXPECT_EQ(85u, r120.size());
    EXPECT_EQ(73u, FieldCount(R100BodyLayout()));
    std::set<std::string> all;
    for (auto& f : r100) all.insert(f.first);
    for (auto& f : r120) all.insert(f.first);
    EXPECT_EQ(91u, all.size());  // every field of DataParam, none invented
    for (const char* only : {"cPqBinPath", "bFrmRateChangeBlack", "u8HorAreaNum"}) {
        EXPECT_EQ(1u, r100.count(only)) << only;
        EXPECT_EQ(0u, r120.count(only)) << only;
    }
    for (const char* only : {"sendI2c", "i2cDataArray", "protTailDataArray"}) {
        EXPECT_EQ(0u, r100.count(only)) << only;
        EXPECT_EQ(1u, r120.count(only)) << only;
    }
    EXPECT_EQ(sizeof(KS_PANEL_DATA_BODY_S_R100), R100BodyLayout().recordSize);
    EXPECT_EQ(sizeof(KS_PANEL_DATA_BODY_S_R120), R120BodyLayout().recordSize);
    EXPECT_STREQ("com/kestrel/vimora/model/DataParam", R120BodyLayout().javaClass);
    EXPECT_STREQ("com/kestrel/vimora/model/HeaderParam", PanelHeaderLayout().javaClass);
}

TEST(PanelFieldTable, KindsMatchMemberWidthsAndSignatures) {
    for (const RecordLayout* layout : {&R100BodyLayout(), &R120BodyLayout(), &PanelHeaderLayout()}) {
        ForEachField(*layout, [&](size_t, const FieldSpec& def) {
            switch (def.kind) {
                case FieldKind::kLow16:
                    EXPECT_EQ(2, def.width) << def.name;
                    break;
                case FieldKind::kLow8:
                    EXPECT_EQ(1, def.width) << def.name;
                    break;
                case FieldKind::kText:
                case FieldKind::kBytes:
                    EXPECT_LE(def.width, 120) << def.name;
                    break;
                default:
                    EXPECT_EQ(4, def.width) << def.name;
            }
            EXPECT_EQ(def.kind == FieldKind::kOption, def.toRecord != nullptr) << def.name;
            EXPECT_TRUE(def.toJava == nullptr || def.kind == FieldKind::kOption) << def.name;
            return true;
        });
    }
    EXPECT_STREQ("I", FieldSignature(FieldKind::kFlag));
    EXPECT_STREQ("Ljava/lang/String;", FieldSignature(FieldKind::kText));
    EXPECT_STREQ("[I", FieldSignature(FieldKind::kBytes));
}

TEST(PanelFieldTable, MembersSitWhereEachGenerationKeepsThem) {
    auto r100 = ByName(R100BodyLayout());
    auto r120 = ByName(R120BodyLayout());
    struct Place {
        const char* name;
        int r100Offset, r120Offset, width;
    };
    const Place places[] = {
        {"chName", 0, 0, 48},
        {"enVb1ByteNum", 140, 140, 4},
        {"u16HsyncWidth", 208, 208, 2},
        {"u32PanelBackLightPwm", 424, 580, 4},
        {"u32BlPwmUserMax", 432, 588, 4},
        {"enPanelFlipType", 284, 264, 4},
        {"enTimmingChangeType", 292, 276, 4},
        {"enDivisionType", 300, 272, 4},
    };
    for (const Place& p : places) {
        EXPECT_EQ(p.r100Offset, r100[p.name].offset) << p.name;
        EXPECT_EQ(p.r120Offset, r120[p.name].offset) << p.name;
        EXPECT_EQ(p.width, r120[p.name].width) << p.name;
    }
    EXPECT_EQ(324, r100["cPqBinPath"].offset);
    EXPECT_EQ(100, r100["cPqBinPath"].width);
    EXPECT_EQ(276, r100["u8HorAreaNum"].offset);  // the 32-bit u32HorAreaNum
    const int advance = 364;
    EXPECT_EQ(advance + 28, r120["i2cDataArray"].offset);
    EXPECT_EQ(advance + 152, r120["gpioDataSingleArray"].offset);
    EXPECT_EQ(24, r120["gpioDataSingleArray"].width);
    EXPECT_EQ(advance + 180, r120["ldmActNumSingleArray"].offset);
    EXPECT_EQ(12, r120["ldmActNumSingleArray"].width);
    EXPECT_EQ(advance + 196, r120["checkSumPos"].offset);
    EXPECT_EQ(advance + 207, r120["protTailDataArray"].offset);
}

TEST(PanelFieldTable, OptionsUseTheirOwnTranslators) {
    auto r100 = ByName(R100BodyLayout());
    auto r120 = ByName(R120BodyLayout());
    // Shifted and sparse options, both directions.
    EXPECT_EQ(3u, r100["enVb1ByteNum"].toRecord(0));
    EXPECT_EQ(0, r100["enVb1ByteNum"].toJava(6));
    EXPECT_EQ(9u, r100["en3DType"].toRecord(4));
    EXPECT_EQ(5, r100["en3DType"].toJava(7));
    EXPECT_EQ(6, r100["enLvdsSpreadFreq"].toJava(0));
    EXPECT_EQ(0, r100["enVb1SpreadFreq"].toJava(0));
    // The generations part ways on division and fixed rate.
    EXPECT_EQ(3u, r100["enDivisionType"].toRecord(3));  // KS_UNF_PANEL_DIVISION_MODE_BUTT
    EXPECT_EQ(3u, r120["enDivisionType"].toRecord(3));  // KS_UNF_PANEL_DIVISION_FOUR
    EXPECT_EQ(4u, r120["enDivisionType"].toRecord(4));
    EXPECT_EQ(3u, r100["enPanelFixrateType"].toRecord(5));
    EXPECT_EQ(5u, r120["enPanelFixrateType"].toRecord(5));
    // Only six options translate back; the others pass their value on.
    int reversed = 0;
    ForEachField(R100BodyLayout(), [&](size_t, const FieldSpec& def) {
        reversed += def.toJava != nullptr;
        return true;
    });
    EXPECT_EQ(5, reversed);  // en3DType, both spread frequencies, byte mode, division
    EXPECT_EQ(nullptr, r120["enDataMode"].toJava);
    EXPECT_EQ(FieldKind::kCopy, r120["enTimmingChangeType"].kind);
    EXPECT_EQ(4u, ByName(PanelHeaderLayout())["enMedia"].toRecord(7));
}

}  // namespace
