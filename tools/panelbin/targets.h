/* The boards of push and verify, from every place they may be given, each
 * board once. */
#ifndef PANELBIN_TARGETS_H
#define PANELBIN_TARGETS_H

#include <vector>

#include "tools/panelbin/board_link.h"
#include "tools/panelbin/commands.h"

/* --tcp, --serial, --targets and --retry-failed, in that order. A board
 * given twice (the same address and port, or the same device, however
 * written) is a usage error naming both places. */
std::vector<Target> GatherTargets(const Options& options);

#endif
