// The timing model against modes as CEA-861 and VESA DMT list them, and the
// choice of a file's pixel clock unit.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "include/ks_unf_panel.h"
#include "panel/model/timing.h"

namespace {

StoredTiming Mode(KS_U32 clock, KS_U32 htotal, KS_U32 vtotal) {
    StoredTiming t = {};
    t.pixelClock = clock;
    t.htotal = htotal;
    t.vtotal = vtotal;
    return t;
}

std::string Thousandths(unsigned long long value) {
    char text[32];
    return FormatThousandths(value, text, sizeof text);
}

TEST(PanelTiming, PublishedModesComputeToTheirListedRates) {
    struct Row {
        const char* mode;
        KS_U32 clock;
        ClockUnit unit;
        KS_U32 htotal, vtotal;
        const char *mhz, *khz, *hz; /* as the standards list them */
    } rows[] = {
        {"CEA 1080p60", 148500, ClockUnit::kKHz, 2200, 1125, "148.500", "67.500", "60.000"},
        {"CEA 1080p50", 14850, ClockUnit::k10KHz, 2640, 1125, "148.500", "56.250", "50.000"},
        {"CEA 1080p24", 74250000, ClockUnit::kHz, 2750, 1125, "74.250", "27.000", "24.000"},
        {"CEA 720p60", 7425, ClockUnit::k10KHz, 1650, 750, "74.250", "45.000", "60.000"},
        {"CEA 480p", 27, ClockUnit::kMHz, 858, 525, "27.000", "31.469", "59.940"},
        {"CEA 2160p60", 594, ClockUnit::kMHz, 4400, 2250, "594.000", "135.000", "60.000"},
        {"DMT 640x480@60", 25175, ClockUnit::kKHz, 800, 525, "25.175", "31.469", "59.940"},
        {"DMT 800x600@60", 40000000, ClockUnit::kHz, 1056, 628, "40.000", "37.879", "60.317"},
        {"DMT 1024x768@60", 65000, ClockUnit::kKHz, 1344, 806, "65.000", "48.363", "60.004"},
        {"DMT 1366x768@60", 85500, ClockUnit::kKHz, 1792, 798, "85.500", "47.712", "59.790"},
        {"DMT 1366x768@60 RB", 7200, ClockUnit::k10KHz, 1500, 800, "72.000", "48.000", "60.000"},
    };
    for (const Row& row : rows) {
        const TimingRates rates = RatesOf(Mode(row.clock, row.htotal, row.vtotal), row.unit);
        ASSERT_TRUE(rates.known) << row.mode;
        EXPECT_EQ(Thousandths(rates.clockKHz), row.mhz) << row.mode;
        EXPECT_EQ(Thousandths(rates.lineHz), row.khz) << row.mode;
        EXPECT_EQ(Thousandths(rates.refreshMilliHz), row.hz) << row.mode;
    }
    EXPECT_FALSE(RatesOf(Mode(148500, 0, 1125), ClockUnit::kKHz).known);
    /* Totals and clock at their limits: no overflow, a rate near 0. */
    const StoredTiming huge = Mode(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
    EXPECT_EQ(RatesOf(huge, ClockUnit::kMHz).refreshMilliHz, 0u);
    EXPECT_FALSE(RefreshWithin(huge, ClockUnit::kMHz, 60, 2));
}

TEST(PanelTiming, ShapeIsReadFromEachTimingOfARecord) {
    KS_UNF_PANEL_INFO_S_R100 info = {};
    info.u32PanelWidth = 1920;
    info.u32Panelheight = 1080;
    info.stTiming50Hz = {148500, 2640, 1125, 528, 4};
    info.stTiming48Hz = {148500, 2750, 1130, 638, 9};
    info.u16HsyncWidth = 44;
    info.u16VsyncWidth = 5;
    KS_U8 record[sizeof info];
    memcpy(record, &info, sizeof info); /* the records are little-endian, as is this host */
    const StoredTiming t50 = TimingOf(record, TimingSlot::k50Hz);
    const TimingShape s50 = ShapeOf(t50);
    EXPECT_EQ(s50.hBack, 148);
    EXPECT_EQ(s50.hBlank, 720);
    EXPECT_EQ(s50.vBack, 36);
    EXPECT_EQ(s50.vBlank, 45);
    const TimingShape s48 = ShapeOf(TimingOf(record, TimingSlot::k48Hz));
    EXPECT_EQ(s48.hBack, 2750 - 1920 - 638 - 44);
    EXPECT_EQ(s48.vBack, 1130 - 1080 - 9 - 5);
    EXPECT_TRUE(TimingIsEmpty(TimingOf(record, TimingSlot::k60Hz)));
    info.u32PanelWidth = 2200; /* 2640 - 2200 - 528 - 44: no room left */
    memcpy(record, &info, sizeof info);
    EXPECT_EQ(ShapeOf(TimingOf(record, TimingSlot::k50Hz)).hBack, -132);
}

TEST(PanelTiming, TheUnitIsTheOneMostPanelsFitUnder) {
    const StoredTiming fhdKHz = Mode(148500, 2200, 1125);
    struct Case {
        const char* what;
        std::vector<StoredTiming> panels;
        bool known;
        ClockUnit unit;
        size_t fitting;
    } cases[] = {
        {"Hz", {Mode(148500000, 2200, 1125)}, true, ClockUnit::kHz, 1},
        {"kHz, with a stray 10 kHz panel", {fhdKHz, Mode(7425, 1650, 750), fhdKHz}, true, ClockUnit::kKHz, 2},
        {"10 kHz", {Mode(14850, 2200, 1125), Mode(59400, 4400, 2250)}, true, ClockUnit::k10KHz, 2},
        {"MHz", {Mode(594, 4400, 2250)}, true, ClockUnit::kMHz, 1},
        /* 61.2 and 58.8 Hz are just within 2 %, a clock step further is not. */
        {"2 % above", {Mode(61200, 1000, 1000), Mode(61201, 1000, 1000)}, true, ClockUnit::kKHz, 1},
        {"2 % below", {Mode(58800, 1000, 1000), Mode(58799, 1000, 1000)}, true, ClockUnit::kKHz, 1},
        /* width x height x 60 / 1000 over real totals: 50.3, 54.8 and 47.0 Hz */
        {"none", {Mode(124416, 2200, 1125), Mode(497664, 4120, 2205), Mode(62945, 1646, 813)},
         false, ClockUnit::kKHz, 0},
        {"no panels", {}, false, ClockUnit::kKHz, 0},
    };
    for (const Case& c : cases) {
        const ClockUnitChoice choice = DetectClockUnit(c.panels.data(), c.panels.size());
        EXPECT_EQ(choice.known, c.known) << c.what;
        EXPECT_EQ(choice.panels, c.panels.size()) << c.what;
        if (!c.known) continue;
        EXPECT_EQ(ClockUnitName(choice.unit), std::string(ClockUnitName(c.unit))) << c.what;
        EXPECT_EQ(choice.fitting[static_cast<size_t>(c.unit)], c.fitting) << c.what;
    }
}

}  // namespace
