/* Translation between the option identifiers of the Java model (0, 1, 2, ...
 * without gaps) and the enumerator values the records carry.
 *
 * Forward translators fall back to the enumeration's _BUTT value for an
 * identifier they do not list (TransIDToKsBool to KS_FALSE); each reverse
 * translator has a fallback identifier of its own. */
#ifndef OPTION_TRANSLATE_H
#define OPTION_TRANSLATE_H

#include "ks_unf_panel.h"

#ifdef __cplusplus
extern "C" {
#endif

KS_UNF_PANEL_VBO_BYTE_NUM TransIDToEnVb1ByteNum(KS_S32 id);
KS_UNF_PANEL_VBO_EMP_E TransIDToEnVb1Emphasis(KS_S32 id);
KS_UNF_PANEL_VBO_DATAMODE_E TransIDToEnDataMode(KS_S32 id);
KS_UNF_PANEL_VBO_SSFREQ_E TransIDToEnVb1SpreadFreq(KS_S32 id);
KS_UNF_PANEL_VBO_CURRENT_E TransIDToEnVb1Current(KS_S32 id);
KS_UNF_PANEL_LVDS_VOLTAGE_E TransIDToEnLvdsComVoltage(KS_S32 id);
KS_UNF_PANEL_LVDS_FMT_E TransIDToEnLvdsFmt(KS_S32 id);
KS_UNF_PANEL_LVDS_CURRENT_E TransIDToEnLvdsDrvCurrent(KS_S32 id);
KS_UNF_PANEL_LVDS_SSFREQ_E TransIDToEnLvdsSpreadFreq(KS_S32 id);
KS_UNF_PANEL_LVDS_LINKMAP_E TransIDToStLvdsLinkMap(KS_S32 id);
KS_UNF_PANEL_BITWIDTH_E TransIDToEnPanelBitWidth(KS_S32 id);
KS_UNF_PANEL_TYPE_E TransIDToEnResolutionType(KS_S32 id);
KS_UNF_PANEL_LINKTYPE_E TransIDToEnPanelLinkType(KS_S32 id);
KS_UNF_PANEL_INTFTYPE_E TransIDToEnIntfType(KS_S32 id);
KS_UNF_DISP_3D_E TransIDToEn3DType(KS_S32 id);
KS_PANEL_INDEX_STORE_MEDIA_E TransIDToEnMedia(KS_S32 id);
KS_UNF_PANEL_FLIP_TYPE_E TransIDToFlipType(KS_S32 id);
KS_UNF_PANEL_FIXRATE_TYPE_E_R100 TransIDToFixrateTypeR100(KS_S32 id);
KS_UNF_PANEL_FIXRATE_TYPE_E_R120 TransIDToFixrateTypeR120(KS_S32 id);
KS_UNF_PANEL_DIVISION_MODE_E TransIDToDivisionTypeR100(KS_S32 id);
KS_UNF_PANEL_DIVISION_TYPE_E TransIDToDivisionType(KS_S32 id);
KS_BOOL TransIDToKsBool(KS_S32 u32SelectID);

KS_S32 TransEnVb1ByteNumToID(KS_UNF_PANEL_VBO_BYTE_NUM num);
KS_S32 TransEnVb1SpreadFreqToID(KS_UNF_PANEL_VBO_SSFREQ_E num);
KS_S32 TransEnLvdsSpreadFreqToID(KS_UNF_PANEL_LVDS_SSFREQ_E num);
KS_S32 TransEn3DTypeToID(KS_UNF_DISP_3D_E num);
KS_S32 TransEnDivisionTypeToID(KS_UNF_PANEL_DIVISION_TYPE_E num);
KS_S32 TransEnDivisionTypeToIDR100(KS_UNF_PANEL_DIVISION_MODE_E num);
KS_S32 TransKsBoolToID(KS_BOOL u32SelectID);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif
