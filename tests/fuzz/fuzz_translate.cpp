/* The option translators, both directions, on arbitrary 32-bit values.
 *
 * What every translator must do follows from the forward ones alone: the
 * identifiers 0, 1, 2, ... that give something other than the terminator are
 * the option's choices, the terminator is what -1 gives, and no identifier
 * gives a value above it. A reverse translator gives each choice's value its
 * identifier back and every other value one fallback of its own. */
#include <stdint.h>
#include <string.h>

#include <map>

#include "tests/fuzz/fuzz_check.h"
#include "include/option_translate.h"

namespace {

typedef KS_U32 (*Forward)(KS_S32);
typedef KS_S32 (*Reverse)(KS_U32);

/* The translators through one signature: enumerations are 32-bit values. */
template <typename E, E (*F)(KS_S32)>
KS_U32 AsForward(KS_S32 id) {
    return static_cast<KS_U32>(F(id));
}
template <typename E, KS_S32 (*R)(E)>
KS_S32 AsReverse(KS_U32 value) {
    return R(static_cast<E>(value));
}

#define FORWARD(name) &AsForward<decltype(name(0)), name>
#define REVERSE(name, type) &AsReverse<type, name>

struct Pair {
    Forward forward;
    Reverse reverse; /* null where the option has none */
};

const Pair kPairs[] = {
    {FORWARD(TransIDToEnVb1ByteNum), REVERSE(TransEnVb1ByteNumToID, KS_UNF_PANEL_VBO_BYTE_NUM)},
    {FORWARD(TransIDToEnVb1Emphasis), nullptr},
    {FORWARD(TransIDToEnDataMode), nullptr},
    {FORWARD(TransIDToEnVb1SpreadFreq),
     REVERSE(TransEnVb1SpreadFreqToID, KS_UNF_PANEL_VBO_SSFREQ_E)},
    {FORWARD(TransIDToEnVb1Current), nullptr},
    {FORWARD(TransIDToEnLvdsComVoltage), nullptr},
    {FORWARD(TransIDToEnLvdsFmt), nullptr},
    {FORWARD(TransIDToEnLvdsDrvCurrent), nullptr},
    {FORWARD(TransIDToEnLvdsSpreadFreq),
     REVERSE(TransEnLvdsSpreadFreqToID, KS_UNF_PANEL_LVDS_SSFREQ_E)},
    {FORWARD(TransIDToStLvdsLinkMap), nullptr},
    {FORWARD(TransIDToEnPanelBitWidth), nullptr},
    {FORWARD(TransIDToEnResolutionType), nullptr},
    {FORWARD(TransIDToEnPanelLinkType), nullptr},
    {FORWARD(TransIDToEnIntfType), nullptr},
    {FORWARD(TransIDToEn3DType), REVERSE(TransEn3DTypeToID, KS_UNF_DISP_3D_E)},
    {FORWARD(TransIDToEnMedia), nullptr},
    {FORWARD(TransIDToFlipType), nullptr},
    {FORWARD(TransIDToFixrateTypeR100), nullptr},
    {FORWARD(TransIDToFixrateTypeR120), nullptr},
    {FORWARD(TransIDToDivisionTypeR100),
     REVERSE(TransEnDivisionTypeToIDR100, KS_UNF_PANEL_DIVISION_MODE_E)},
    {FORWARD(TransIDToDivisionType),
     REVERSE(TransEnDivisionTypeToID, KS_UNF_PANEL_DIVISION_TYPE_E)},
};

const size_t kCount = sizeof kPairs / sizeof kPairs[0];

/* Learned once from the forward translators: each choice's value and its
 * identifier, the terminator, and the reverse fallback. */
struct Option {
    std::map<KS_U32, KS_S32> choices;
    KS_U32 terminator;
    KS_S32 fallback;
};
Option g_options[kCount];

void Learn(const Pair& pair, Option* option) {
    option->terminator = pair.forward(-1);
    for (KS_S32 id = 0; id < 64; ++id) {
        KS_U32 value = pair.forward(id);
        if (value == option->terminator) continue;
        FUZZ_CHECK(option->choices.count(value) == 0); /* two choices, one value */
        option->choices[value] = id;
    }
    FUZZ_CHECK(!option->choices.empty());
    if (pair.reverse != nullptr) option->fallback = pair.reverse(option->terminator);
}

void CheckForward(const Pair& pair, const Option& option, KS_S32 id) {
    KS_U32 value = pair.forward(id);
    FUZZ_CHECK(value <= option.terminator);
    if (value == option.terminator) return;
    auto it = option.choices.find(value);
    FUZZ_CHECK(it != option.choices.end() && it->second == id);
    if (pair.reverse != nullptr) FUZZ_CHECK(pair.reverse(value) == id);
}

void CheckReverse(const Pair& pair, const Option& option, KS_U32 value) {
    if (pair.reverse == nullptr) return;
    KS_S32 id = pair.reverse(value);
    auto it = option.choices.find(value);
    if (it == option.choices.end()) {
        FUZZ_CHECK(id == option.fallback);
    } else {
        FUZZ_CHECK(id == it->second && pair.forward(id) == value);
    }
}

/* Flags: only 1 is true, in both directions. */
void CheckFlag(KS_U32 value) {
    KS_S32 asId = static_cast<KS_S32>(value);
    FUZZ_CHECK(TransIDToKsBool(asId) == (asId == 1 ? KS_TRUE : KS_FALSE));
    FUZZ_CHECK(TransKsBoolToID(static_cast<KS_BOOL>(value)) == (value == 1 ? 1 : 0));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (size_t i = 0; i < kCount; ++i) Learn(kPairs[i], &g_options[i]);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t at = 0; at + 4 <= size; at += 4) {
        KS_U32 value;
        memcpy(&value, data + at, 4);
        for (size_t i = 0; i < kCount; ++i) {
            CheckForward(kPairs[i], g_options[i], static_cast<KS_S32>(value));
            CheckReverse(kPairs[i], g_options[i], value);
        }
        CheckFlag(value);
    }
    return 0;
}
