/* The conformity check of a panel bin file's records: what their values
 * mean, beyond the container being sound. Each finding names the panel,
 * the field and the reason, and is an error (the panel cannot work as
 * stored) or a warning (it may, but looks wrong). */
#ifndef PANELBIN_CONFORMITY_H
#define PANELBIN_CONFORMITY_H

#include <string>
#include <vector>

#include "tools/panelbin/panel_timings.h"

struct Finding {
    bool error;
    long long panel; /* -1: the file or its header */
    std::string field; /* empty: the file's */
    std::string reason;
};

/* Every finding of one panel: its timings (under `clock`), enumerations,
 * flags and texts. */
std::vector<Finding> PanelFindings(PanelGeneration generation, const KS_U8* body, long long panel,
                                   const ClockReading& clock);

/* The header's enumerations and flags, and a panel count it misstates. */
std::vector<Finding> HeaderFindings(const KS_PANEL_HEADER_S& header, size_t panels);

/* "panel 2, stTiming60HzHtotal: error: ..." */
std::string FindingLine(const Finding& finding);
Json FindingJson(const Finding& finding);

/* Errors, and warnings too under --strict, fail. */
bool Fails(const std::vector<Finding>& findings, bool strict);
/* "conformity: PASS (0 errors, 2 warnings)" */
std::string Verdict(const std::vector<Finding>& findings, bool strict);

#endif
