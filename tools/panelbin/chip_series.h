/* Which chip series' panel a board holds, found from a read that does not
 * fit: a board holding the other series' panel answers with a reply of the
 * other size, which the link reports as a damaged or short reply, and the
 * engineer would check cables. One more read in the other layout tells. */
#ifndef PANELBIN_CHIP_SERIES_H
#define PANELBIN_CHIP_SERIES_H

#include <string>
#include <vector>

#include "tools/panelbin/board_link.h"

/* Whether a failed read is one that a reply of the other size gives. */
bool MisfitReply(const LinkFailed& failure);

PanelGeneration OtherSeries(PanelGeneration generation);

/* After a read as `tried` failed with a misfit reply and its link has
 * ended: reads once as the other series on a link of its own (its trace,
 * if any, in TRACE.R100 or TRACE.R120). The body when it reads; else
 * throws `failure`, the first read's. */
std::vector<KS_U8> ReadAsOtherSeries(const Target& target, const std::string& tracePath,
                                     PanelGeneration tried, const LinkFailed& failure);

/* "the board holds an R120 panel; use --chip R120". */
std::string HeldSeries(PanelGeneration held);

#endif
