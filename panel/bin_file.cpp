/* The small pieces every bin file operation shares: generations and the
 * status that carries the reason for a failure. */
#include "panel/bin_file.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

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

bool BinStatus::Fail(BinFault code, const char* format, ...) {
    fault = code;
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return false;
}
