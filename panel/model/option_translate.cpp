/* Option identifier translators.
 *
 * Each option is one table: the enumerator value for identifier 0, 1, 2, ...
 * in order. Forward translation indexes the table, reverse translation
 * searches it; both fall back as the option has always done. */
#include "include/option_translate.h"

#include <stddef.h>

namespace {

template <size_t N>
struct Option {
    KS_U32 values[N]; /* enumerator value of each identifier */
    KS_U32 butt;      /* forward result for an unlisted identifier */
};

template <typename E, size_t N>
E Forward(const Option<N>& option, KS_S32 id) {
    if (id < 0 || static_cast<size_t>(id) >= N) return static_cast<E>(option.butt);
    return static_cast<E>(option.values[id]);
}

template <size_t N>
KS_S32 Reverse(const Option<N>& option, KS_U32 value, KS_S32 fallback) {
    for (size_t id = 0; id < N; ++id)
        if (option.values[id] == value) return static_cast<KS_S32>(id);
    return fallback;
}

/* Options whose identifiers equal their enumerator values. */
template <size_t N>
constexpr Option<N> Sequential() {
    Option<N> option{};
    for (size_t i = 0; i < N; ++i) option.values[i] = static_cast<KS_U32>(i);
    option.butt = N;
    return option;
}

/* Options with shifted or sparse values. */
constexpr Option<3> kVb1ByteNum{{KS_UNF_PANEL_VBO_BYTE_NUM_3, KS_UNF_PANEL_VBO_BYTE_NUM_4,
                                 KS_UNF_PANEL_VBO_BYTE_NUM_5},
                                KS_UNF_PANEL_VBO_BYTE_NUM_BUTT};
constexpr Option<4> kVb1SpreadFreq{
    {KS_UNF_PANEL_VBO_SSFREQ_46P875KHZ, KS_UNF_PANEL_VBO_SSFREQ_31P250KHZ,
     KS_UNF_PANEL_VBO_SSFREQ_23P438KHZ, KS_UNF_PANEL_VBO_SSFREQ_18P750KHZ},
    KS_UNF_PANEL_VBO_SSFREQ_BUTT};
constexpr Option<4> kLvdsSpreadFreq{
    {KS_UNF_PANEL_LVDS_SSFREQ_93P75KHZ, KS_UNF_PANEL_LVDS_SSFREQ_62P5KHZ,
     KS_UNF_PANEL_LVDS_SSFREQ_46P875KHZ, KS_UNF_PANEL_LVDS_SSFREQ_37P5KHZ},
    KS_UNF_PANEL_LVDS_SSFREQ_BUTT};
constexpr Option<5> k3DType{{KS_UNF_DISP_2D, KS_UNF_DISP_3D_SBS, KS_UNF_DISP_3D_FS,
                             KS_UNF_DISP_3D_PR_LR, KS_UNF_DISP_3D_PR_RL},
                            KS_UNF_DISP_3D_BUTT};

constexpr Option<4> kVb1Emphasis = Sequential<4>();
constexpr Option<7> kDataMode = Sequential<7>();
constexpr Option<5> kVb1Current = Sequential<5>();
constexpr Option<8> kLvdsComVoltage = Sequential<8>();
constexpr Option<3> kLvdsFmt = Sequential<3>();
constexpr Option<8> kLvdsDrvCurrent = Sequential<8>();
constexpr Option<4> kLvdsLinkMap = Sequential<4>();
constexpr Option<4> kPanelBitWidth = Sequential<4>();
constexpr Option<6> kResolutionType = Sequential<6>();
constexpr Option<4> kPanelLinkType = Sequential<4>();
constexpr Option<3> kIntfType = Sequential<3>();
constexpr Option<4> kMedia = Sequential<4>();
constexpr Option<4> kFlipType = Sequential<4>();
constexpr Option<3> kFixrateR100 = Sequential<3>();
constexpr Option<7> kFixrateR120 = Sequential<7>();
constexpr Option<3> kDivisionR100 = Sequential<3>();
constexpr Option<4> kDivisionR120 = Sequential<4>();
/* A bool falls back to false, not to a terminator. */
constexpr Option<2> kBool{{KS_FALSE, KS_TRUE}, KS_FALSE};

/* The enumerations' own terminators must agree with the tables. */
static_assert(kVb1Emphasis.butt == KS_UNF_PANEL_VBO_EMP_BUTT, "");
static_assert(kDataMode.butt == KS_UNF_PANEL_VBO_DATAMODE_BUTT, "");
static_assert(kVb1Current.butt == KS_UNF_PANEL_VBO_CURRENT_BUTT, "");
static_assert(kLvdsComVoltage.butt == KS_UNF_PANEL_LVDS_VOLTAGE_BUTT, "");
static_assert(kLvdsFmt.butt == KS_UNF_PANEL_LVDS_FMT_BUTT, "");
static_assert(kLvdsDrvCurrent.butt == KS_UNF_PANEL_LVDS_CURRENT_BUTT, "");
static_assert(kLvdsLinkMap.butt == KS_UNF_PANEL_LVDS_LINKMAP_BUTT, "");
static_assert(kPanelBitWidth.butt == KS_UNF_PANEL_BITWIDTH_BUTT, "");
static_assert(kResolutionType.butt == KS_UNF_PANEL_TYPE_BUTT, "");
static_assert(kPanelLinkType.butt == KS_UNF_LVDS_LINKTYPE_BUTT, "");
static_assert(kIntfType.butt == KS_UNF_PANEL_PANEL_INTFTYPE_BUTT, "");
static_assert(kMedia.butt == KS_PANEL_INDEX_STORE_MEDIA_BUTT, "");
static_assert(kFlipType.butt == KS_UNF_PANEL_FLIP_TYPE_BUTT, "");
static_assert(kFixrateR100.butt == KS_UNF_PANEL_FIXRATE_TYPE_BUTT_R100, "");
static_assert(kFixrateR120.butt == KS_UNF_PANEL_FIXRATE_TYPE_BUTT, "");
static_assert(kDivisionR100.butt == KS_UNF_PANEL_DIVISION_MODE_BUTT, "");
static_assert(kDivisionR120.butt == KS_UNF_PANEL_DIVISION_BUTT, "");

}  // namespace

KS_UNF_PANEL_VBO_BYTE_NUM TransIDToEnVb1ByteNum(KS_S32 id) {
    return Forward<KS_UNF_PANEL_VBO_BYTE_NUM>(kVb1ByteNum, id);
}
KS_UNF_PANEL_VBO_EMP_E TransIDToEnVb1Emphasis(KS_S32 id) {
    return Forward<KS_UNF_PANEL_VBO_EMP_E>(kVb1Emphasis, id);
}
KS_UNF_PANEL_VBO_DATAMODE_E TransIDToEnDataMode(KS_S32 id) {
    return Forward<KS_UNF_PANEL_VBO_DATAMODE_E>(kDataMode, id);
}
KS_UNF_PANEL_VBO_SSFREQ_E TransIDToEnVb1SpreadFreq(KS_S32 id) {
    return Forward<KS_UNF_PANEL_VBO_SSFREQ_E>(kVb1SpreadFreq, id);
}
KS_UNF_PANEL_VBO_CURRENT_E TransIDToEnVb1Current(KS_S32 id) {
    return Forward<KS_UNF_PANEL_VBO_CURRENT_E>(kVb1Current, id);
}
KS_UNF_PANEL_LVDS_VOLTAGE_E TransIDToEnLvdsComVoltage(KS_S32 id) {
    return Forward<KS_UNF_PANEL_LVDS_VOLTAGE_E>(kLvdsComVoltage, id);
}
KS_UNF_PANEL_LVDS_FMT_E TransIDToEnLvdsFmt(KS_S32 id) {
    return Forward<KS_UNF_PANEL_LVDS_FMT_E>(kLvdsFmt, id);
}
KS_UNF_PANEL_LVDS_CURRENT_E TransIDToEnLvdsDrvCurrent(KS_S32 id) {
    return Forward<KS_UNF_PANEL_LVDS_CURRENT_E>(kLvdsDrvCurrent, id);
}
KS_UNF_PANEL_LVDS_SSFREQ_E TransIDToEnLvdsSpreadFreq(KS_S32 id) {
    return Forward<KS_UNF_PANEL_LVDS_SSFREQ_E>(kLvdsSpreadFreq, id);
}
KS_UNF_PANEL_LVDS_LINKMAP_E TransIDToStLvdsLinkMap(KS_S32 id) {
    return Forward<KS_UNF_PANEL_LVDS_LINKMAP_E>(kLvdsLinkMap, id);
}
KS_UNF_PANEL_BITWIDTH_E TransIDToEnPanelBitWidth(KS_S32 id) {
    return Forward<KS_UNF_PANEL_BITWIDTH_E>(kPanelBitWidth, id);
}
KS_UNF_PANEL_TYPE_E TransIDToEnResolutionType(KS_S32 id) {
    return Forward<KS_UNF_PANEL_TYPE_E>(kResolutionType, id);
}
KS_UNF_PANEL_LINKTYPE_E TransIDToEnPanelLinkType(KS_S32 id) {
    return Forward<KS_UNF_PANEL_LINKTYPE_E>(kPanelLinkType, id);
}
KS_UNF_PANEL_INTFTYPE_E TransIDToEnIntfType(KS_S32 id) {
    return Forward<KS_UNF_PANEL_INTFTYPE_E>(kIntfType, id);
}
KS_UNF_DISP_3D_E TransIDToEn3DType(KS_S32 id) {
    return Forward<KS_UNF_DISP_3D_E>(k3DType, id);
}
KS_PANEL_INDEX_STORE_MEDIA_E TransIDToEnMedia(KS_S32 id) {
    return Forward<KS_PANEL_INDEX_STORE_MEDIA_E>(kMedia, id);
}
KS_UNF_PANEL_FLIP_TYPE_E TransIDToFlipType(KS_S32 id) {
    return Forward<KS_UNF_PANEL_FLIP_TYPE_E>(kFlipType, id);
}
KS_UNF_PANEL_FIXRATE_TYPE_E_R100 TransIDToFixrateTypeR100(KS_S32 id) {
    return Forward<KS_UNF_PANEL_FIXRATE_TYPE_E_R100>(kFixrateR100, id);
}
KS_UNF_PANEL_FIXRATE_TYPE_E_R120 TransIDToFixrateTypeR120(KS_S32 id) {
    return Forward<KS_UNF_PANEL_FIXRATE_TYPE_E_R120>(kFixrateR120, id);
}
KS_UNF_PANEL_DIVISION_MODE_E TransIDToDivisionTypeR100(KS_S32 id) {
    return Forward<KS_UNF_PANEL_DIVISION_MODE_E>(kDivisionR100, id);
}
KS_UNF_PANEL_DIVISION_TYPE_E TransIDToDivisionType(KS_S32 id) {
    return Forward<KS_UNF_PANEL_DIVISION_TYPE_E>(kDivisionR120, id);
}
KS_BOOL TransIDToKsBool(KS_S32 u32SelectID) {
    return Forward<KS_BOOL>(kBool, u32SelectID);
}

/* The reverse fallbacks differ from option to option; files and boards have
 * always been read with exactly these. */
KS_S32 TransEnVb1ByteNumToID(KS_UNF_PANEL_VBO_BYTE_NUM num) {
    return Reverse(kVb1ByteNum, num, 0);
}
KS_S32 TransEnVb1SpreadFreqToID(KS_UNF_PANEL_VBO_SSFREQ_E num) {
    return Reverse(kVb1SpreadFreq, num, 0);
}
KS_S32 TransEnLvdsSpreadFreqToID(KS_UNF_PANEL_LVDS_SSFREQ_E num) {
    return Reverse(kLvdsSpreadFreq, num, 6);
}
KS_S32 TransEn3DTypeToID(KS_UNF_DISP_3D_E num) {
    return Reverse(k3DType, num, 5);
}
KS_S32 TransEnDivisionTypeToID(KS_UNF_PANEL_DIVISION_TYPE_E num) {
    return Reverse(kDivisionR120, num, 0);
}
KS_S32 TransEnDivisionTypeToIDR100(KS_UNF_PANEL_DIVISION_MODE_E num) {
    return Reverse(kDivisionR100, num, 0);
}
KS_S32 TransKsBoolToID(KS_BOOL u32SelectID) {
    return Reverse(kBool, u32SelectID, 0);
}
