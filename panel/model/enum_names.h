/* Readable names of the records' enumerators, for tools that show an
 * option to a person ({"id": 1, "name": "VBONE"}).
 *
 * Each name is its enumerator's own spelling without the enumeration's
 * common prefix, written once in enum_names.cpp, where a macro pastes the
 * prefix back so that the compiler checks every name against
 * ks_unf_panel.h. The field table attaches the names to a row from the type
 * of the row's member (EnumNamesOf), so nothing is listed per field. */
#ifndef PANEL_MODEL_ENUM_NAMES_H
#define PANEL_MODEL_ENUM_NAMES_H

#include <stddef.h>

#include "include/ks_unf_panel.h"

struct EnumName {
    KS_U32 value;
    const char* name;
};

/* Every enumerator of one enumeration in ascending value order, the
 * terminator ("..._BUTT", one past the last valid choice) last. */
struct EnumNames {
    const EnumName* entries;
    size_t count;
};

/* The name of the enumerator whose value is `value`, or null. */
const char* EnumNameOf(const EnumNames& names, KS_U32 value);

/* Whether `value` is a valid choice: an enumerator other than the
 * terminator. */
bool IsEnumChoice(const EnumNames& names, KS_U32 value);

/* The names of enumeration Enum, or null for a type that has none (plain
 * integers, KS_BOOL). A constant expression, so tables stay constant. */
template <typename Enum>
struct EnumNamesOf {
    /* Said apart from the address: some sanitizers keep a comparison of an
     * object's address with null from being a constant expression. */
    static constexpr bool known = false;
    static constexpr const EnumNames* value = nullptr;
};

#define KS_NAMED_ENUM(Type)                                        \
    extern const EnumNames k##Type##Names;                         \
    template <>                                                    \
    struct EnumNamesOf<Type> {                                     \
        static constexpr bool known = true;                        \
        static constexpr const EnumNames* value = &k##Type##Names; \
    };

KS_NAMED_ENUM(KS_UNF_PANEL_LVDS_VOLTAGE_E)
KS_NAMED_ENUM(KS_UNF_PANEL_LVDS_CURRENT_E)
KS_NAMED_ENUM(KS_UNF_PANEL_LVDS_SSFREQ_E)
KS_NAMED_ENUM(KS_UNF_PANEL_VBO_SSFREQ_E)
KS_NAMED_ENUM(KS_UNF_PANEL_FLIP_TYPE_E)
KS_NAMED_ENUM(KS_UNF_PANEL_FIXRATE_TYPE_E_R100)
KS_NAMED_ENUM(KS_UNF_PANEL_FIXRATE_TYPE_E_R120)
KS_NAMED_ENUM(KS_UNF_PANEL_LINKTYPE_E)
KS_NAMED_ENUM(KS_UNF_PANEL_LVDS_LINKMAP_E)
KS_NAMED_ENUM(KS_UNF_PANEL_BITWIDTH_E)
KS_NAMED_ENUM(KS_UNF_PANEL_LVDS_FMT_E)
KS_NAMED_ENUM(KS_UNF_PANEL_TYPE_E)
KS_NAMED_ENUM(KS_UNF_PANEL_VBO_DATAMODE_E)
KS_NAMED_ENUM(KS_UNF_PANEL_VBO_BYTE_NUM)
KS_NAMED_ENUM(KS_UNF_PANEL_VBO_CURRENT_E)
KS_NAMED_ENUM(KS_UNF_PANEL_VBO_EMP_E)
KS_NAMED_ENUM(KS_UNF_PANEL_INTFTYPE_E)
KS_NAMED_ENUM(KS_UNF_DISP_3D_E)
KS_NAMED_ENUM(KS_UNF_PANEL_DIVISION_TYPE_E)
KS_NAMED_ENUM(KS_UNF_PANEL_DIVISION_MODE_E)
KS_NAMED_ENUM(KS_UNF_PANEL_TIMING_CHANGE_E)
KS_NAMED_ENUM(KS_PANEL_INDEX_STORE_MEDIA_E)

#undef KS_NAMED_ENUM

#endif
