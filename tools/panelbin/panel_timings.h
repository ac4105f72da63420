/* A file's panel timings as panelbin shows them: the pixel clock's unit,
 * chosen once per file or by --clock-unit, and each timing in the form
 * display-timing decoders print it ("1920x1080 60.000 Hz 67.500 kHz
 * 148.500 MHz", then front porch / sync / back porch per direction). */
#ifndef PANELBIN_PANEL_TIMINGS_H
#define PANELBIN_PANEL_TIMINGS_H

#include <string>
#include <vector>

#include "panel/model/timing.h"
#include "tools/panelbin/panel_file.h"

/* The unit the pixel clocks of a file are read in. */
struct ClockReading {
    bool known = false;
    ClockUnit unit = ClockUnit::kKHz;
    std::string sentence; /* "pixel clock read as kHz: 3 of 4 panels' 60 Hz timings fit" */
    Json json;            /* {"unit": "kHz" or null, "from": ..., "fitting": n, "panels": n} */
};

/* `option`: --clock-unit ("" to decide from the file's panels). */
ClockReading ReadClock(const std::string& option, const PanelFile& file);

/* One of a panel's timings and why it is there: the 60 Hz one always, the
 * others when filled or claimed by a field (bSupport48Hz, or a fixed
 * output rate of 50 Hz). */
struct GivenTiming {
    TimingSlot slot;
    StoredTiming timing;
    const char* claim; /* the field that claims it, null when none does */
    bool given;
};
std::vector<GivenTiming> PanelTimings(PanelGeneration generation, const KS_U8* body);

/* The field of a timing member: (60 Hz, "Htotal") gives
 * "stTiming60HzHtotal", (48 Hz, "HsyncFP") "u16Timing48HzHsyncFP". */
std::string TimingField(TimingSlot slot, const char* member);

/* "60.000 Hz 67.500 kHz 148.500 MHz", or the stored clock and "(unit
 * unknown)", or "(a total is 0)". */
std::string RatesText(const StoredTiming& timing, const ClockReading& clock);
/* "60 Hz: 1920x1080 60.000 Hz 67.500 kHz 148.500 MHz  h 88/44/148 v 4/5/36",
 * or "48 Hz: not given". */
std::string TimingLine(const GivenTiming& given, const ClockReading& clock);
/* The stored and derived values; the rates as decimal strings of three
 * decimals (exact as printed), null without a unit. */
Json TimingJson(const GivenTiming& given, const ClockReading& clock);

#endif
