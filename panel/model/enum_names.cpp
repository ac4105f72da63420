/* The enumerator names, each spelled once and checked by the compiler:
 * under `#define PREFIX KS_..._`, N(E) is the enumerator PREFIX##E named
 * #E, and a list of one enumeration accepts no enumerator of another. The
 * lists must ascend and end with the terminator, which is checked too. */
#include "panel/model/enum_names.h"

#include <array>
#include <string_view>

namespace {

template <typename Enum>
struct Named {
    Enum value;
    const char* name;
};

template <typename Enum, size_t N>
constexpr std::array<EnumName, N> Untyped(const Named<Enum> (&named)[N]) {
    std::array<EnumName, N> out{};
    for (size_t i = 0; i < N; ++i) out[i] = {static_cast<KS_U32>(named[i].value), named[i].name};
    return out;
}

/* Lookups rely on the order; a terminator elsewhere would count as a choice. */
template <typename Enum, size_t N>
constexpr bool AscendsToTerminator(const Named<Enum> (&named)[N]) {
    for (size_t i = 1; i < N; ++i)
        if (static_cast<KS_U32>(named[i - 1].value) >= static_cast<KS_U32>(named[i].value))
            return false;
    return std::string_view(named[N - 1].name).find("BUTT") != std::string_view::npos;
}

}  // namespace

/* Two steps, so that PREFIX is replaced before it is pasted. */
#define N(e) NAMED_WITH(PREFIX, e, )
#define N_R100(e) NAMED_WITH(PREFIX, e, _R100)
#define NAMED_WITH(prefix, e, suffix) NAMED_PASTE(prefix, e, suffix)
#define NAMED_PASTE(prefix, e, suffix) {prefix##e##suffix, #e}

#define NAMES(Type, ...)                                                          \
    namespace {                                                                   \
    constexpr Named<Type> k##Type##List[] = {__VA_ARGS__};                        \
    static_assert(AscendsToTerminator(k##Type##List),                             \
                  #Type ": enumerators in ascending order, the terminator last"); \
    constexpr auto k##Type##Entries = Untyped(k##Type##List);                     \
    }                                                                             \
    const EnumNames k##Type##Names = {k##Type##Entries.data(), k##Type##Entries.size()};

#define PREFIX KS_UNF_PANEL_LVDS_VOLTAGE_
NAMES(KS_UNF_PANEL_LVDS_VOLTAGE_E, N(1250MV), N(1100MV), N(1150MV), N(1200MV), N(1300MV),
      N(1350MV), N(1400MV), N(1450MV), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_LVDS_CURRENT_
NAMES(KS_UNF_PANEL_LVDS_CURRENT_E, N(200MV), N(150MV), N(250MV), N(300MV), N(350MV), N(400MV),
      N(450MV), N(500MV), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_LVDS_SSFREQ_
NAMES(KS_UNF_PANEL_LVDS_SSFREQ_E, N(93P75KHZ), N(62P5KHZ), N(46P875KHZ), N(37P5KHZ), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_VBO_SSFREQ_
NAMES(KS_UNF_PANEL_VBO_SSFREQ_E, N(46P875KHZ), N(31P250KHZ), N(23P438KHZ), N(18P750KHZ),
      N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_FLIP_TYPE_
NAMES(KS_UNF_PANEL_FLIP_TYPE_E, N(NONE), N(FLIP), N(MIRROR), N(FLIP_MIRROR), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_FIXRATE_TYPE_
NAMES(KS_UNF_PANEL_FIXRATE_TYPE_E_R100, N_R100(NONE), N_R100(50HZ), N_R100(60HZ), N_R100(BUTT))
NAMES(KS_UNF_PANEL_FIXRATE_TYPE_E_R120, N(NONE), N(FHD_50HZ), N(FHD_60HZ), N(FHD_OTHER),
      N(UHD_50HZ), N(UHD_60HZ), N(UHD_OTHER), N(BUTT))
#undef PREFIX
/* The terminator of the link count is spelled with LVDS. */
#define PREFIX KS_UNF_PANEL_LINKTYPE_
NAMES(KS_UNF_PANEL_LINKTYPE_E, N(1LINK), N(2LINK), N(4LINK), N(8LINK),
      NAMED_PASTE(KS_UNF_LVDS_LINKTYPE_, BUTT, ))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_LVDS_LINKMAP_
NAMES(KS_UNF_PANEL_LVDS_LINKMAP_E, N(PIXEL0), N(PIXEL1), N(PIXEL2), N(PIXEL3), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_BITWIDTH_
NAMES(KS_UNF_PANEL_BITWIDTH_E, N(8BIT), N(10BIT), N(12BIT), N(6BIT), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_LVDS_FMT_
NAMES(KS_UNF_PANEL_LVDS_FMT_E, N(VESA), N(JEIDA), N(FP), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_TYPE_
NAMES(KS_UNF_PANEL_TYPE_E, N(FHD), N(4K), N(FHD_4K_30_MISC), N(FHD_4K_60_MISC),
      N(4K_30_60_MISC), N(FHD_4K_30_60_MISC), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_VBO_DATAMODE_
NAMES(KS_UNF_PANEL_VBO_DATAMODE_E, N(30BIT444), N(36BIT444), N(24BIT444), N(18BIT444),
      N(24BIT422), N(20BIT422), N(16BIT422), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_VBO_BYTE_NUM_
NAMES(KS_UNF_PANEL_VBO_BYTE_NUM, N(3), N(4), N(5), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_VBO_CURRENT_
NAMES(KS_UNF_PANEL_VBO_CURRENT_E, N(300MV), N(200MV), N(250MV), N(350MV), N(400MV), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_VBO_EMP_
NAMES(KS_UNF_PANEL_VBO_EMP_E, N(0DB), N(2DB), N(3P5DB), N(6DB), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_PANEL_INTFTYPE_
NAMES(KS_UNF_PANEL_INTFTYPE_E, N(LVDS), N(VBONE), N(MINLVDS), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_DISP_
NAMES(KS_UNF_DISP_3D_E, N(2D), N(3D_SBS), N(3D_FS), N(3D_PR_LR), N(3D_PR_RL), N(3D_BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_DIVISION_
NAMES(KS_UNF_PANEL_DIVISION_TYPE_E, N(ONE_OE), N(ONE), N(TWO), N(FOUR), N(BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_
NAMES(KS_UNF_PANEL_DIVISION_MODE_E, N(ONE_DIVISION_NORMAL_MODE), N(ONE_DIVISION_OE_MODE),
      N(TWO_DIVISION_MODE), N(DIVISION_MODE_BUTT))
#undef PREFIX
#define PREFIX KS_UNF_PANEL_TIMING_CHANGE_
NAMES(KS_UNF_PANEL_TIMING_CHANGE_E, N(INSTANT), N(GRADUAL_VT), N(GRADUAL_HT), N(GRADUAL_CLK),
      N(BUTT))
#undef PREFIX
#define PREFIX KS_PANEL_INDEX_STORE_MEDIA_
NAMES(KS_PANEL_INDEX_STORE_MEDIA_E, N(EEPROM), N(SPI_FLASH), N(NAND_FLASH), N(EMMC), N(BUTT))
#undef PREFIX

#undef NAMES
#undef NAMED_PASTE
#undef NAMED_WITH
#undef N_R100
#undef N

/* A handful of entries each: a walk is all a lookup needs. */
const char* EnumNameOf(const EnumNames& names, KS_U32 value) {
    for (size_t i = 0; i < names.count; ++i)
        if (names.entries[i].value == value) return names.entries[i].name;
    return nullptr;
}

bool IsEnumChoice(const EnumNames& names, KS_U32 value) {
    return names.count > 0 && value != names.entries[names.count - 1].value &&
           EnumNameOf(names, value) != nullptr;
}
