/* The field tables of DataParam (both generations) and HeaderParam.
 *
 * Rows name the record member by its path, so offsets and widths come from
 * the record declarations themselves; a moved member moves its row. */
#include "panel/model/field_table.h"

#include <stddef.h>

#include "include/ks_unf_panel.h"
#include "include/option_translate.h"

namespace {

/* Uniform shapes for the translators, whose own types are the enumerations. */
template <typename F>
struct ParameterOf;
template <typename R, typename A>
struct ParameterOf<R (*)(A)> {
    using type = A;
};

template <typename Enum>
constexpr const EnumNames* OptionNames() {
    static_assert(EnumNamesOf<Enum>::known,
                  "an option's enumeration needs its names in panel/model/enum_names.cpp");
    return EnumNamesOf<Enum>::value;
}

template <auto Translate>
KS_U32 Forward(KS_S32 id) {
    return static_cast<KS_U32>(Translate(id));
}

template <auto Translate>
KS_S32 Reverse(KS_U32 value) {
    using Enum = typename ParameterOf<decltype(Translate)>::type;
    return Translate(static_cast<Enum>(value));
}

typedef KS_PANEL_DATA_BODY_S_R100 R100;
typedef KS_PANEL_DATA_BODY_S_R120 R120;

#define KS_WIDTH(type, member) sizeof(static_cast<type*>(nullptr)->member)
/* The names of the member's enumeration, chosen by the member's own type;
 * an option's must exist. */
#define KS_MEMBER_TYPE(type, member) decltype(static_cast<type*>(nullptr)->member)
#define KS_NAMES(type, member) EnumNamesOf<KS_MEMBER_TYPE(type, member)>::value
#define KS_OPTION_NAMES(type, member) OptionNames<KS_MEMBER_TYPE(type, member)>()
#define KS_AT(type, member) \
    static_cast<KS_U16>(offsetof(type, member)), static_cast<KS_U16>(KS_WIDTH(type, member))

/* Members of the first 264 bytes of the panel info sit at the same offsets in
 * both generations (pinned below), so one table serves both. */
#define SHARED(member) KS_AT(R100, stPanelInfo.member)
#define COPY(name, member) {name, FieldKind::kCopy, SHARED(member)}
#define LOW16(name, member) {name, FieldKind::kLow16, SHARED(member)}
#define FLAG(name, member) {name, FieldKind::kFlag, SHARED(member)}
#define OPTION(name, member, to)                                  \
    {name, FieldKind::kOption, SHARED(member), &Forward<to>, nullptr, \
     KS_OPTION_NAMES(R100, stPanelInfo.member)}
#define OPTION2(name, member, to, back)                                      \
    {name, FieldKind::kOption, SHARED(member), &Forward<to>, &Reverse<back>, \
     KS_OPTION_NAMES(R100, stPanelInfo.member)}

const FieldSpec kSharedFields[] = {
    {"chName", FieldKind::kText, SHARED(chName)},
    COPY("u32PanelWidth", u32PanelWidth),
    COPY("u32Panelheight", u32Panelheight),
    COPY("u32FrameRateMax", u32FrameRateMax),
    FLAG("bSupport48Hz", bSupport48Hz),
    OPTION2("en3DType", en3DType, TransIDToEn3DType, TransEn3DTypeToID),
    OPTION("enResolutionType", enResolutionType, TransIDToEnResolutionType),
    OPTION("enIntfType", enIntfType, TransIDToEnIntfType),
    OPTION("enPanelLinkType", enPanelLinkType, TransIDToEnPanelLinkType),
    OPTION("enPanelBitWidth", enPanelBitWidth, TransIDToEnPanelBitWidth),
    COPY("u32LvdsSpreadRatio", stLvdsAttr.u32LvdsSpreadRatio),
    OPTION2("enLvdsSpreadFreq", stLvdsAttr.enLvdsSpreadFreq, TransIDToEnLvdsSpreadFreq,
            TransEnLvdsSpreadFreqToID),
    OPTION("enLvdsFmt", stLvdsAttr.enLvdsFmt, TransIDToEnLvdsFmt),
    OPTION("enLink1", stLvdsAttr.stLvdsLinkMap.enLink1, TransIDToStLvdsLinkMap),
    OPTION("enLink2", stLvdsAttr.stLvdsLinkMap.enLink2, TransIDToStLvdsLinkMap),
    OPTION("enLink3", stLvdsAttr.stLvdsLinkMap.enLink3, TransIDToStLvdsLinkMap),
    OPTION("enLink4", stLvdsAttr.stLvdsLinkMap.enLink4, TransIDToStLvdsLinkMap),
    OPTION("enLvdsDrvCurrent", stLvdsAttr.enLvdsDrvCurrent, TransIDToEnLvdsDrvCurrent),
    OPTION("enLvdsComVoltage", stLvdsAttr.enLvdsComVoltage, TransIDToEnLvdsComVoltage),
    FLAG("bGroupSwap", stVboAttr.bGroupSwap),
    FLAG("bLeftInternalSwap", stVboAttr.bLeftInternalSwap),
    FLAG("bRightInternalSwap", stVboAttr.bRightInternalSwap),
    FLAG("bBit0AtHighBit", stVboAttr.bBit0AtHighBit),
    OPTION("enDataMode", stVboAttr.enDataMode, TransIDToEnDataMode),
    OPTION2("enVb1ByteNum", stVboAttr.enVb1ByteNum, TransIDToEnVb1ByteNum,
            TransEnVb1ByteNumToID),
    OPTION("enVb1Current", stVboAttr.enVb1Current, TransIDToEnVb1Current),
    OPTION("enVb1Emphasis", stVboAttr.enVb1Emphasis, TransIDToEnVb1Emphasis),
    COPY("u32Vb1SpreadRatio", stVboAttr.u32Vb1SpreadRatio),
    OPTION2("enVb1SpreadFreq", stVboAttr.enVb1SpreadFreq, TransIDToEnVb1SpreadFreq,
            TransEnVb1SpreadFreqToID),
    COPY("stTiming60HzPixelClk", stTiming60Hz.u32PixelClk),
    COPY("stTiming50HzPixelClk", stTiming50Hz.u32PixelClk),
    COPY("stTiming48HzPixelClk", stTiming48Hz.u32PixelClk),
    COPY("stTiming60HzHtotal", stTiming60Hz.u32Htotal),
    COPY("stTiming50HzHtotal", stTiming50Hz.u32Htotal),
    COPY("stTiming48HzHtotal", stTiming48Hz.u32Htotal),
    COPY("stTiming60HzVtotal", stTiming60Hz.u32Vtotal),
    COPY("stTiming50HzVtotal", stTiming50Hz.u32Vtotal),
    COPY("stTiming48HzVtotal", stTiming48Hz.u32Vtotal),
    LOW16("u16Timing60HzHsyncFP", stTiming60Hz.u16HsyncFP),
    LOW16("u16Timing50HzHsyncFP", stTiming50Hz.u16HsyncFP),
    LOW16("u16Timing48HzHsyncFP", stTiming48Hz.u16HsyncFP),
    LOW16("u16Timing60HzVsyncFP", stTiming60Hz.u16VsyncFP),
    LOW16("u16Timing50HzVsyncFP", stTiming50Hz.u16VsyncFP),
    LOW16("u16Timing48HzVsyncFP", stTiming48Hz.u16VsyncFP),
    LOW16("u16HsyncWidth", u16HsyncWidth),
    LOW16("u16VsyncWidth", u16VsyncWidth),
    FLAG("bHSyncOutput", bHSyncOutput),
    FLAG("bVSyncOutput", bVSyncOutput),
    FLAG("bHSyncNegative", bHSyncNegative),
    FLAG("bVSyncNegative", bVSyncNegative),
    FLAG("bDeNegative", bDeNegative),
    FLAG("bPwmPostive", bPwmPostive),
    COPY("u32DimmingFreq60hz", u32DimmingFreq60hz),
    COPY("u32DimmingFreq50hz", u32DimmingFreq50hz),
    COPY("u32DimmingFreq48hz", u32DimmingFreq48hz),
    COPY("u32IntfSignalOnDelay", u32IntfSignalOnDelay),
    COPY("u32BLOnDelay", u32BLOnDelay),
    COPY("u32BLOffDelay", u32BLOffDelay),
    COPY("u32IntfSignalOffDelay", u32IntfSignalOffDelay),
};

#undef SHARED
#undef COPY
#undef LOW16
#undef FLAG
#undef OPTION
#undef OPTION2

static_assert(offsetof(R100, stPanelInfo.u32IntfSignalOffDelay) ==
                  offsetof(R120, stPanelInfo.u32IntfSignalOffDelay),
              "the shared panel info prefix must sit alike in both generations");
static_assert(offsetof(R100, stPanelInfo) == 0 && offsetof(R120, stPanelInfo) == 0,
              "panel info opens both bodies");

/* Rows whose member sits in a generation's own place. enTimmingChangeType
 * is copied untranslated but is an enumeration all the same: a copied
 * member of an enumerated type carries its names. */
#define COPY(type, name, member) \
    {name, FieldKind::kCopy, KS_AT(type, member), nullptr, nullptr, KS_NAMES(type, member)}
#define FLAG(type, name, member) {name, FieldKind::kFlag, KS_AT(type, member)}
#define LOW8(type, name, member) {name, FieldKind::kLow8, KS_AT(type, member)}
#define BYTES(type, name, member) {name, FieldKind::kBytes, KS_AT(type, member)}
#define OPTION(type, name, member, to)                                     \
    {name, FieldKind::kOption, KS_AT(type, member), &Forward<to>, nullptr, \
     KS_OPTION_NAMES(type, member)}
#define OPTION2(type, name, member, to, back)                                     \
    {name, FieldKind::kOption, KS_AT(type, member), &Forward<to>, &Reverse<back>, \
     KS_OPTION_NAMES(type, member)}

const FieldSpec kR100Fields[] = {
    COPY(R100, "u32PanelBackLightPwm", u32BlPwm),
    COPY(R100, "u32BlPwmUserMin", u32BlPwmUserMin),
    COPY(R100, "u32BlPwmUserMax", u32BlPwmUserMax),
    OPTION(R100, "enPanelFlipType", stPanelInfo.enPanelFlipType, TransIDToFlipType),
    OPTION(R100, "enPanelFixrateType", stPanelInfo.enPanelFixrateType, TransIDToFixrateTypeR100),
    COPY(R100, "enTimmingChangeType", stPanelInfo.enTimmingChangeType),
    COPY(R100, "u32ChangeStep", stPanelInfo.u32ChangeStep),
    OPTION2(R100, "enDivisionType", stPanelInfo.enDivisionMode, TransIDToDivisionTypeR100,
            TransEnDivisionTypeToIDR100),
    {"cPqBinPath", FieldKind::kText, KS_AT(R100, cPqBinPath)},
    FLAG(R100, "bFrmRateChangeBlack", stPanelInfo.bFrmRateChangeBlack),
    COPY(R100, "u32MuteTime", stPanelInfo.u32MuteTime),
    FLAG(R100, "bLocalDimmingSupport", stPanelInfo.bLocalDimmingSupport),
    COPY(R100, "u8HorAreaNum", stPanelInfo.u32HorAreaNum),
    COPY(R100, "u8VerAreaNum", stPanelInfo.u32VerAreaNum),
};

const FieldSpec kR120Fields[] = {
    COPY(R120, "u32PanelBackLightPwm", u32BlPwm),
    COPY(R120, "u32BlPwmUserMin", u32BlPwmUserMin),
    COPY(R120, "u32BlPwmUserMax", u32BlPwmUserMax),
    OPTION(R120, "enPanelFlipType", stPanelInfo.enPanelFlipType, TransIDToFlipType),
    OPTION(R120, "enPanelFixrateType", stPanelInfo.enPanelFixrateType, TransIDToFixrateTypeR120),
    COPY(R120, "enTimmingChangeType", stPanelInfo.enTimmingChangeType),
    COPY(R120, "u32ChangeStep", stPanelInfo.u32ChangeStep),
    OPTION2(R120, "enDivisionType", stPanelInfo.enDivisionType, TransIDToDivisionType,
            TransEnDivisionTypeToID),
    FLAG(R120, "sendI2c", stPanelAdvanceInfo.bSendI2c),
    COPY(R120, "i2cCmdNum", stPanelAdvanceInfo.u32I2cCmdNum),
    COPY(R120, "i2cCmdLen", stPanelAdvanceInfo.u32I2cCmdLen),
    COPY(R120, "tconToi2cDelay", stPanelAdvanceInfo.u32TconToI2cDelay),
    COPY(R120, "i2cItervalDelay", stPanelAdvanceInfo.u32I2cItervalDelay),
    BYTES(R120, "i2cDataArray", stPanelAdvanceInfo.au8I2cData),
    FLAG(R120, "pullGpio", stPanelAdvanceInfo.bPullGpio),
    COPY(R120, "gpioNum", stPanelAdvanceInfo.u32GpioNum),
    BYTES(R120, "gpioDataSingleArray", stPanelAdvanceInfo.au8GpioData),
    FLAG(R120, "localdimingSupport", stPanelAdvanceInfo.bLocaldimingSupport),
    COPY(R120, "matrixNum", stPanelAdvanceInfo.u32MatrixNum),
    BYTES(R120, "ldmActNumSingleArray", stPanelAdvanceInfo.au8LdmActNum),
    FLAG(R120, "checkSumInHead", stPanelAdvanceInfo.bChecksumInHead),
    LOW8(R120, "checkSumPos", stPanelAdvanceInfo.u8ChecksumPos),
    LOW8(R120, "protHeadLength", stPanelAdvanceInfo.u8ProtHeadLength),
    LOW8(R120, "protTailLength", stPanelAdvanceInfo.u8ProtTailLength),
    BYTES(R120, "protHeadDataArray", stPanelAdvanceInfo.au8ProtHeadData),
    BYTES(R120, "protTailDataArray", stPanelAdvanceInfo.au8ProtTailData),
};

const FieldSpec kHeaderFields[] = {
    OPTION(KS_PANEL_HEADER_S, "enMedia", enMedia, TransIDToEnMedia),
    COPY(KS_PANEL_HEADER_S, "u32Addr", u32Addr),
    COPY(KS_PANEL_HEADER_S, "u32TotalNum", u32TotalNum),
    COPY(KS_PANEL_HEADER_S, "u32Index", u32Index),
};

#undef COPY
#undef FLAG
#undef LOW8
#undef BYTES
#undef OPTION
#undef OPTION2

const ByteRange kR100Reserved[] = {
    {KS_AT(R100, stPanelInfo.u32Resove)},
    {KS_AT(R100, u32Resove)},
};

const ByteRange kR120Reserved[] = {
    {KS_AT(R120, stPanelInfo.u32Resove)},
    {KS_AT(R120, u32Resove)},
};

#undef KS_AT
#undef KS_WIDTH
#undef KS_NAMES
#undef KS_OPTION_NAMES
#undef KS_MEMBER_TYPE

template <typename T, size_t N>
constexpr size_t CountOf(const T (&)[N]) {
    return N;
}

const char kDataParamClass[] = "com/kestrel/vimora/model/DataParam";

const RecordLayout kR100Layout = {
    kDataParamClass,
    sizeof(R100),
    {{kSharedFields, CountOf(kSharedFields)}, {kR100Fields, CountOf(kR100Fields)}},
    kR100Reserved,
    CountOf(kR100Reserved),
};

const RecordLayout kR120Layout = {
    kDataParamClass,
    sizeof(R120),
    {{kSharedFields, CountOf(kSharedFields)}, {kR120Fields, CountOf(kR120Fields)}},
    kR120Reserved,
    CountOf(kR120Reserved),
};

const RecordLayout kHeaderLayout = {
    "com/kestrel/vimora/model/HeaderParam",
    sizeof(KS_PANEL_HEADER_S),
    {{kHeaderFields, CountOf(kHeaderFields)}, {nullptr, 0}},
    nullptr,
    0,
};

static_assert(CountOf(kSharedFields) + CountOf(kR120Fields) <= kMaxRecordFields, "R120 fields");
static_assert(CountOf(kSharedFields) + CountOf(kR100Fields) <= kMaxRecordFields, "R100 fields");

}  // namespace

const RecordLayout& R100BodyLayout() { return kR100Layout; }
const RecordLayout& R120BodyLayout() { return kR120Layout; }
const RecordLayout& PanelHeaderLayout() { return kHeaderLayout; }

const char* FieldSignature(FieldKind kind) {
    switch (kind) {
        case FieldKind::kText:
            return "Ljava/lang/String;";
        case FieldKind::kBytes:
            return "[I";
        default:
            return "I";
    }
}

size_t FieldCount(const RecordLayout& layout) {
    return layout.tables[0].count + layout.tables[1].count;
}
