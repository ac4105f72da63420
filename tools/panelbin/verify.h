/* Verify: the board's panel info against the file's, field by field, in the
 * values dump shows. */
#ifndef PANELBIN_VERIFY_H
#define PANELBIN_VERIFY_H

#include <string>
#include <vector>

#include "panel/binfile/bin_file.h"
#include "include/ks_type.h"

/* One line per field of the panel info that differs, "chName: file
 * "Panel 2", board "Qanel 2"", in field order; empty when all agree. Only
 * the panel info is compared: the rest of a body never travels. */
std::vector<std::string> PanelInfoDifferences(PanelGeneration generation, const KS_U8* fileBody,
                                              const KS_U8* boardBody);

/* The number of fields compared. */
size_t PanelInfoFieldCount(PanelGeneration generation);

#endif
