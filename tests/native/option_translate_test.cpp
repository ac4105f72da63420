// Option identifier translators: every listed identifier, every fallback,
// and the round trip through the reverse translators.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "include/option_translate.h"

namespace {

struct ForwardCase {
    const char* name;
    std::function<KS_U32(KS_S32)> translate;
    std::vector<KS_U32> values;  // result for identifier 0, 1, ...
    KS_U32 fallback;
};

template <typename F>
std::function<KS_U32(KS_S32)> As(F f) {
    return [f](KS_S32 id) { return static_cast<KS_U32>(f(id)); };
}

std::vector<KS_U32> Seq(KS_U32 n) {
    std::vector<KS_U32> v;
    for (KS_U32 i = 0; i < n; ++i) v.push_back(i);
    return v;
}

const std::vector<ForwardCase>& ForwardCases() {
    static const std::vector<ForwardCase> cases = {
        {"Vb1ByteNum", As(TransIDToEnVb1ByteNum), {3, 4, 5}, 6},
        {"Vb1Emphasis", As(TransIDToEnVb1Emphasis), Seq(4), 4},
        {"DataMode", As(TransIDToEnDataMode), Seq(7), 7},
        {"Vb1SpreadFreq", As(TransIDToEnVb1SpreadFreq), {2, 3, 4, 5}, 6},
        {"Vb1Current", As(TransIDToEnVb1Current), Seq(5), 5},
        {"LvdsComVoltage", As(TransIDToEnLvdsComVoltage), Seq(8), 8},
        {"LvdsFmt", As(TransIDToEnLvdsFmt), Seq(3), 3},
        {"LvdsDrvCurrent", As(TransIDToEnLvdsDrvCurrent), Seq(8), 8},
        {"LvdsSpreadFreq", As(TransIDToEnLvdsSpreadFreq), {2, 3, 4, 5}, 6},
        {"LvdsLinkMap", As(TransIDToStLvdsLinkMap), Seq(4), 4},
        {"PanelBitWidth", As(TransIDToEnPanelBitWidth), Seq(4), 4},
        {"ResolutionType", As(TransIDToEnResolutionType), Seq(6), 6},
        {"PanelLinkType", As(TransIDToEnPanelLinkType), Seq(4), 4},
        {"IntfType", As(TransIDToEnIntfType), Seq(3), 3},
        {"3DType", As(TransIDToEn3DType), {0, 2, 4, 5, 9}, 10},
        {"Media", As(TransIDToEnMedia), Seq(4), 4},
        {"FlipType", As(TransIDToFlipType), Seq(4), 4},
        {"FixrateR100", As(TransIDToFixrateTypeR100), Seq(3), 3},
        {"FixrateR120", As(TransIDToFixrateTypeR120), Seq(7), 7},
        {"DivisionR100", As(TransIDToDivisionTypeR100), Seq(3), 3},
        {"DivisionR120", As(TransIDToDivisionType), Seq(4), 4},
        {"KsBool", As(TransIDToKsBool), {0, 1}, 0},
    };
    return cases;
}

TEST(OptionTranslate, ForwardMapsEveryListedIdentifierAndFallsBackOtherwise) {
    for (const auto& c : ForwardCases()) {
        for (size_t id = 0; id < c.values.size(); ++id)
            EXPECT_EQ(c.values[id], c.translate(static_cast<KS_S32>(id))) << c.name << " " << id;
        const KS_S32 unlisted[] = {static_cast<KS_S32>(c.values.size()), -1, 100, INT32_MIN,
                                   INT32_MAX};
        for (KS_S32 id : unlisted) EXPECT_EQ(c.fallback, c.translate(id)) << c.name << " " << id;
    }
}

TEST(OptionTranslate, FallbacksAreTheEnumerationsTerminators) {
    EXPECT_EQ(KS_UNF_PANEL_VBO_BYTE_NUM_BUTT, TransIDToEnVb1ByteNum(3));
    EXPECT_EQ(KS_UNF_PANEL_VBO_DATAMODE_BUTT, TransIDToEnDataMode(-1));
    EXPECT_EQ(KS_UNF_LVDS_LINKTYPE_BUTT, TransIDToEnPanelLinkType(4));
    EXPECT_EQ(KS_UNF_DISP_3D_BUTT, TransIDToEn3DType(5));
    EXPECT_EQ(KS_FALSE, TransIDToKsBool(2));
    EXPECT_EQ(KS_FALSE, TransIDToKsBool(-1));
    // The two division enumerations give 3 different meanings.
    EXPECT_EQ(KS_UNF_PANEL_DIVISION_MODE_BUTT, TransIDToDivisionTypeR100(3));
    EXPECT_EQ(KS_UNF_PANEL_DIVISION_FOUR, TransIDToDivisionType(3));
}

struct ReverseCase {
    const char* name;
    std::function<KS_S32(KS_U32)> translate;
    std::vector<KS_U32> values;  // enumerator of identifier 0, 1, ...
    KS_S32 fallback;
};

template <typename E>
std::function<KS_S32(KS_U32)> Rev(KS_S32 (*f)(E)) {
    return [f](KS_U32 v) { return f(static_cast<E>(v)); };
}

TEST(OptionTranslate, ReverseMapsBackAndKeepsEachOptionsOwnFallback) {
    const ReverseCase cases[] = {
        {"Vb1ByteNum", Rev(TransEnVb1ByteNumToID), {3, 4, 5}, 0},
        {"Vb1SpreadFreq", Rev(TransEnVb1SpreadFreqToID), {2, 3, 4, 5}, 0},
        {"LvdsSpreadFreq", Rev(TransEnLvdsSpreadFreqToID), {2, 3, 4, 5}, 6},
        {"3DType", Rev(TransEn3DTypeToID), {0, 2, 4, 5, 9}, 5},
        {"DivisionR120", Rev(TransEnDivisionTypeToID), {0, 1, 2, 3}, 0},
        {"DivisionR100", Rev(TransEnDivisionTypeToIDR100), {0, 1, 2}, 0},
        {"KsBool", Rev(TransKsBoolToID), {0, 1}, 0},
    };
    for (const auto& c : cases) {
        for (size_t id = 0; id < c.values.size(); ++id)
            EXPECT_EQ(static_cast<KS_S32>(id), c.translate(c.values[id])) << c.name;
        for (KS_U32 v = 0; v <= 12; ++v) {
            bool listed = false;
            for (KS_U32 listedValue : c.values) listed = listed || listedValue == v;
            if (!listed) {
                EXPECT_EQ(c.fallback, c.translate(v)) << c.name << " " << v;
            }
        }
        EXPECT_EQ(c.fallback, c.translate(0xFFFFFFFFu)) << c.name;
    }
    // The two spread-frequency options fall back differently on the same input.
    EXPECT_EQ(6, TransEnLvdsSpreadFreqToID(KS_UNF_PANEL_LVDS_SSFREQ_BUTT));
    EXPECT_EQ(0, TransEnVb1SpreadFreqToID(KS_UNF_PANEL_VBO_SSFREQ_BUTT));
    EXPECT_EQ(4, TransEn3DTypeToID(KS_UNF_DISP_3D_PR_RL));
}

TEST(OptionTranslate, ForwardOfReverseGivesEveryValidEnumeratorBack) {
    for (KS_U32 e : {3u, 4u, 5u})
        EXPECT_EQ(e, TransIDToEnVb1ByteNum(TransEnVb1ByteNumToID(
                         static_cast<KS_UNF_PANEL_VBO_BYTE_NUM>(e))));
    for (KS_U32 e : {2u, 3u, 4u, 5u}) {
        EXPECT_EQ(e, TransIDToEnVb1SpreadFreq(
                         TransEnVb1SpreadFreqToID(static_cast<KS_UNF_PANEL_VBO_SSFREQ_E>(e))));
        EXPECT_EQ(e, TransIDToEnLvdsSpreadFreq(
                         TransEnLvdsSpreadFreqToID(static_cast<KS_UNF_PANEL_LVDS_SSFREQ_E>(e))));
    }
    for (KS_U32 e : {0u, 2u, 4u, 5u, 9u})
        EXPECT_EQ(e, TransIDToEn3DType(TransEn3DTypeToID(static_cast<KS_UNF_DISP_3D_E>(e))));
    for (KS_U32 e : {0u, 1u, 2u, 3u})
        EXPECT_EQ(e, TransIDToDivisionType(
                         TransEnDivisionTypeToID(static_cast<KS_UNF_PANEL_DIVISION_TYPE_E>(e))));
    for (KS_U32 e : {0u, 1u, 2u})
        EXPECT_EQ(e, TransIDToDivisionTypeR100(TransEnDivisionTypeToIDR100(
                         static_cast<KS_UNF_PANEL_DIVISION_MODE_E>(e))));
    for (KS_U32 e : {0u, 1u})
        EXPECT_EQ(e, TransIDToKsBool(TransKsBoolToID(static_cast<KS_BOOL>(e))));
}

}  // namespace
