/* The wall clock as ISO 8601 UTC with milliseconds, for the trace's start
 * and the flashing log. */
#ifndef PANELBIN_WALL_CLOCK_H
#define PANELBIN_WALL_CLOCK_H

#include <string>

/* "2026-12-08T23:41:07.123Z". */
std::string UtcNow();

#endif
