/* The generation rules: chip series to generation, and the sizes and field
 * tables of each generation. */
#include "panel/model/generation.h"

#include <string.h>

#include "include/ks_unf_panel.h"
#include "panel/model/field_table.h"

PanelGeneration GenerationOf(const char* chipSeries) {
    return chipSeries != nullptr && strcmp(chipSeries, "R120") == 0 ? PanelGeneration::kR120
                                                                     : PanelGeneration::kR100;
}

KS_U32 BodySize(PanelGeneration generation) {
    return generation == PanelGeneration::kR120 ? sizeof(KS_PANEL_DATA_BODY_S_R120)
                                                : sizeof(KS_PANEL_DATA_BODY_S_R100);
}

const char* GenerationName(PanelGeneration generation) {
    return generation == PanelGeneration::kR120 ? "R120" : "R100";
}

size_t PanelInfoSize(PanelGeneration generation) {
    return generation == PanelGeneration::kR120 ? sizeof(KS_UNF_PANEL_INFO_S_R120)
                                                : sizeof(KS_UNF_PANEL_INFO_S_R100);
}

const RecordLayout& BodyLayoutOf(PanelGeneration generation) {
    return generation == PanelGeneration::kR120 ? R120BodyLayout() : R100BodyLayout();
}
