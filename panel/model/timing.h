/* What a panel's timing numbers mean: for each of the three timings of a
 * panel info record (60, 50 and 48 Hz) the active size, totals, porches,
 * sync widths, blanking, and, once the pixel clock's unit is known, the
 * pixel clock, line frequency and refresh rate. All of it in exact integer
 * arithmetic; rates come as thousandths of their printed unit, ready for
 * three decimals.
 *
 * The records carry the pixel clock without a unit, so it is read in one
 * of four units, chosen per file by DetectClockUnit: the unit under which
 * most panels' 60 Hz timings come within 2 % of 60 Hz. For the tools only:
 * the library's records, readers and writer never use it, and the shared
 * library exports none of it. */
#ifndef PANEL_MODEL_TIMING_H
#define PANEL_MODEL_TIMING_H

#include <stddef.h>

#include "include/ks_type.h"

enum class ClockUnit : KS_U8 { kHz, kKHz, k10KHz, kMHz };
const size_t kClockUnitCount = 4;
/* In the order DetectClockUnit prefers them on a tie. */
extern const ClockUnit kClockUnits[kClockUnitCount];

/* 1, 1000, 10000, 1000000. */
KS_U32 ClockUnitHz(ClockUnit unit);
/* "Hz", "kHz", "10 kHz", "MHz". */
const char* ClockUnitName(ClockUnit unit);
/* The unit a name means: the printed names, "10kHz" too; false for others. */
bool ClockUnitNamed(const char* name, ClockUnit* unit);

/* The three timings of a panel info record, by their nominal rate. */
enum class TimingSlot : KS_U8 { k60Hz, k50Hz, k48Hz };
const size_t kTimingSlotCount = 3;
extern const TimingSlot kTimingSlots[kTimingSlotCount];
KS_U32 NominalHz(TimingSlot slot);

/* One timing as a record stores it, with the panel's active size and sync
 * widths, which the three timings share. */
struct StoredTiming {
    KS_U32 width, height;   /* active pixels per line, active lines */
    KS_U32 pixelClock;      /* in the file's unit */
    KS_U32 htotal, vtotal;  /* blanking included */
    KS_U32 hFront, vFront;  /* front porches */
    KS_U32 hSync, vSync;    /* sync pulse widths */
};

/* The timing of `slot` from a panel body (or panel info) record of either
 * generation: the members it reads sit alike in both. `record` holds at
 * least the shared panel info prefix (264 bytes). */
StoredTiming TimingOf(const KS_U8* record, TimingSlot slot);

/* Whether the timing's own members (clock, totals, front porches) are all
 * zero: a timing that was never filled. */
bool TimingIsEmpty(const StoredTiming& timing);

/* Sizes derived from a timing. Back porches are total - active - front
 * porch - sync and go negative when the total is too small. */
struct TimingShape {
    long long hBack, vBack;
    long long hBlank, vBlank; /* total - active */
};
TimingShape ShapeOf(const StoredTiming& timing);

/* The rates of a timing read in a unit, each in thousandths of the unit
 * printed: pixel clock in kHz (thousandths of a MHz), line frequency in Hz
 * (thousandths of a kHz), refresh in mHz (thousandths of a Hz), rounded to
 * the nearest. `known` is false when a total is zero: nothing to divide by. */
struct TimingRates {
    bool known;
    unsigned long long clockKHz;
    unsigned long long lineHz;
    unsigned long long refreshMilliHz;
};
TimingRates RatesOf(const StoredTiming& timing, ClockUnit unit);

/* Whether the refresh rate under `unit` is within percent % of `hz`,
 * decided exactly (no rounding): |refresh - hz| * 100 <= hz * percent.
 * False when a total is zero. */
bool RefreshWithin(const StoredTiming& timing, ClockUnit unit, KS_U32 hz, KS_U32 percent);

/* A file's unit: how many of its panels' 60 Hz timings fit (come within
 * 2 % of 60 Hz) under each unit, and the unit chosen: the one most fit
 * under, the first of kClockUnits on a tie; `known` is false when none fit
 * under any unit. */
struct ClockUnitChoice {
    bool known;
    ClockUnit unit;
    size_t fitting[kClockUnitCount]; /* indexed like kClockUnits */
    size_t panels;
};
ClockUnitChoice DetectClockUnit(const StoredTiming* timings60Hz, size_t count);

/* "148.500": a count of thousandths with three decimals, into `text` of
 * `size` bytes (24 hold any); returns `text`. */
char* FormatThousandths(unsigned long long thousandths, char* text, size_t size);

#endif
