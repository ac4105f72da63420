/* The one place that knows the two layout generations: which chip series
 * selects which, and every size and layout that follows from it. The bin
 * file code, the Java mapping, the board transfer and the tools all ask
 * here. */
#ifndef PANEL_MODEL_GENERATION_H
#define PANEL_MODEL_GENERATION_H

#include <stddef.h>

#include "include/ks_type.h"

struct RecordLayout;

/* The layout generation of the body records; a file does not record it. */
enum class PanelGeneration : KS_U8 { kR100, kR120 };

/* "R120" exactly (the terminating zero included) is R120, any other text
 * and null are R100. */
PanelGeneration GenerationOf(const char* chipSeries);
/* 476 for R100, 632 for R120. */
KS_U32 BodySize(PanelGeneration generation);
/* "R100" or "R120". */
const char* GenerationName(PanelGeneration generation);
/* The panel info record at the start of a body: 324 (R100) or 364 (R120). */
size_t PanelInfoSize(PanelGeneration generation);
/* The field table of the generation's body record. */
const RecordLayout& BodyLayoutOf(PanelGeneration generation);

#endif
