/* The timing model: derived sizes and exact rates of a panel's timings. */
#include "panel/model/timing.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "base/ks_coding.h"
#include "include/ks_unf_panel.h"

namespace {

typedef unsigned long long U64;

/* A 128-bit product: the nominal rate times htotal times vtotal can pass
 * 64 bits for totals near the 32-bit limit, and the comparisons stay exact. */
struct Wide {
    U64 high, low;
};

Wide Multiply(U64 a, U64 b) {
    const U64 mask = 0xFFFFFFFFull;
    const U64 a0 = a & mask, a1 = a >> 32, b0 = b & mask, b1 = b >> 32;
    const U64 p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const U64 middle = (p00 >> 32) + (p01 & mask) + (p10 & mask);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & mask)};
}

bool NotAbove(const Wide& a, U64 b) { return a.high == 0 && a.low <= b; }
bool NotBelow(const Wide& a, U64 b) { return a.high != 0 || a.low >= b; }

/* n / d rounded to the nearest, halves up; d > 0. */
U64 Rounded(U64 n, U64 d) {
    const U64 q = n / d, r = n % d;
    return r >= d - r ? q + 1 : q;
}

U64 ClockHz(const StoredTiming& timing, ClockUnit unit) {
    return static_cast<U64>(timing.pixelClock) * ClockUnitHz(unit);
}

typedef KS_UNF_PANEL_INFO_S_R100 Info;

/* The members of one timing: the three sit in the same shared prefix of
 * both generations' panel info. */
size_t TimingOffset(TimingSlot slot) {
    switch (slot) {
        case TimingSlot::k50Hz:
            return offsetof(Info, stTiming50Hz);
        case TimingSlot::k48Hz:
            return offsetof(Info, stTiming48Hz);
        default:
            return offsetof(Info, stTiming60Hz);
    }
}

KS_U32 Load32(const KS_U8* record, size_t offset) { return KS_DecodeU32(record + offset); }
KS_U32 Load16(const KS_U8* record, size_t offset) { return KS_DecodeLE(record + offset, 2); }

}  // namespace

const ClockUnit kClockUnits[kClockUnitCount] = {ClockUnit::kHz, ClockUnit::kKHz, ClockUnit::k10KHz,
                                                ClockUnit::kMHz};
const TimingSlot kTimingSlots[kTimingSlotCount] = {TimingSlot::k60Hz, TimingSlot::k50Hz,
                                                   TimingSlot::k48Hz};

KS_U32 ClockUnitHz(ClockUnit unit) {
    switch (unit) {
        case ClockUnit::kKHz:
            return 1000;
        case ClockUnit::k10KHz:
            return 10000;
        case ClockUnit::kMHz:
            return 1000000;
        default:
            return 1;
    }
}

const char* ClockUnitName(ClockUnit unit) {
    switch (unit) {
        case ClockUnit::kKHz:
            return "kHz";
        case ClockUnit::k10KHz:
            return "10 kHz";
        case ClockUnit::kMHz:
            return "MHz";
        default:
            return "Hz";
    }
}

bool ClockUnitNamed(const char* name, ClockUnit* unit) {
    for (ClockUnit u : kClockUnits) {
        if (strcmp(name, ClockUnitName(u)) == 0) {
            *unit = u;
            return true;
        }
    }
    if (strcmp(name, "10kHz") != 0) return false;
    *unit = ClockUnit::k10KHz;
    return true;
}

KS_U32 NominalHz(TimingSlot slot) {
    return slot == TimingSlot::k50Hz ? 50 : slot == TimingSlot::k48Hz ? 48 : 60;
}

StoredTiming TimingOf(const KS_U8* record, TimingSlot slot) {
    const size_t at = TimingOffset(slot);
    StoredTiming timing;
    timing.width = Load32(record, offsetof(Info, u32PanelWidth));
    timing.height = Load32(record, offsetof(Info, u32Panelheight));
    timing.pixelClock = Load32(record, at + offsetof(KS_UNF_PANEL_TIMING_S, u32PixelClk));
    timing.htotal = Load32(record, at + offsetof(KS_UNF_PANEL_TIMING_S, u32Htotal));
    timing.vtotal = Load32(record, at + offsetof(KS_UNF_PANEL_TIMING_S, u32Vtotal));
    timing.hFront = Load16(record, at + offsetof(KS_UNF_PANEL_TIMING_S, u16HsyncFP));
    timing.vFront = Load16(record, at + offsetof(KS_UNF_PANEL_TIMING_S, u16VsyncFP));
    timing.hSync = Load16(record, offsetof(Info, u16HsyncWidth));
    timing.vSync = Load16(record, offsetof(Info, u16VsyncWidth));
    return timing;
}

bool TimingIsEmpty(const StoredTiming& timing) {
    return timing.pixelClock == 0 && timing.htotal == 0 && timing.vtotal == 0 &&
           timing.hFront == 0 && timing.vFront == 0;
}

TimingShape ShapeOf(const StoredTiming& t) {
    TimingShape shape;
    shape.hBlank = static_cast<long long>(t.htotal) - t.width;
    shape.vBlank = static_cast<long long>(t.vtotal) - t.height;
    shape.hBack = shape.hBlank - t.hFront - t.hSync;
    shape.vBack = shape.vBlank - t.vFront - t.vSync;
    return shape;
}

TimingRates RatesOf(const StoredTiming& timing, ClockUnit unit) {
    TimingRates rates = {false, 0, 0, 0};
    const U64 hz = ClockHz(timing, unit); /* below 2^32 * 10^6 */
    rates.clockKHz = Rounded(hz, 1000);
    if (timing.htotal == 0 || timing.vtotal == 0) return rates;
    rates.known = true;
    rates.lineHz = Rounded(hz, timing.htotal);
    /* hz * 1000 < 2^62 and htotal * vtotal < 2^64: both fit. */
    rates.refreshMilliHz = Rounded(hz * 1000, static_cast<U64>(timing.htotal) * timing.vtotal);
    return rates;
}

bool RefreshWithin(const StoredTiming& timing, ClockUnit unit, KS_U32 hz, KS_U32 percent) {
    if (timing.htotal == 0 || timing.vtotal == 0 || percent > 100) return false;
    /* (100 - p) * hz * H * V <= 100 * clock <= (100 + p) * hz * H * V */
    const U64 frame = static_cast<U64>(timing.htotal) * timing.vtotal;
    const U64 clock100 = ClockHz(timing, unit) * 100;
    return NotAbove(Multiply(frame, static_cast<U64>(hz) * (100 - percent)), clock100) &&
           NotBelow(Multiply(frame, static_cast<U64>(hz) * (100 + percent)), clock100);
}

ClockUnitChoice DetectClockUnit(const StoredTiming* timings60Hz, size_t count) {
    ClockUnitChoice choice = {false, ClockUnit::kKHz, {0, 0, 0, 0}, count};
    size_t best = 0;
    for (size_t u = 0; u < kClockUnitCount; ++u) {
        for (size_t i = 0; i < count; ++i)
            if (RefreshWithin(timings60Hz[i], kClockUnits[u], 60, 2)) ++choice.fitting[u];
        if (choice.fitting[u] > best) {
            best = choice.fitting[u];
            choice.known = true;
            choice.unit = kClockUnits[u];
        }
    }
    return choice;
}

char* FormatThousandths(unsigned long long thousandths, char* text, size_t size) {
    (void)snprintf(text, size, "%llu.%03llu", thousandths / 1000, thousandths % 1000);
    return text;
}
