/* The pixel clock's unit per file, and timings as text and JSON. */
#include "tools/panelbin/panel_timings.h"

#include <string.h>

#include "panel/model/field_codec.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/field_text.h"

namespace {

std::string Decimal(unsigned long long thousandths) {
    char text[32];
    return FormatThousandths(thousandths, text, sizeof text);
}

std::string Plural(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

/* The field of the body that claims the slot's timing, if it does: the
 * 48 Hz flag set, or a fixed output rate whose enumerator names 50 Hz. */
const char* ClaimOf(PanelGeneration generation, const KS_U8* body, TimingSlot slot) {
    const RecordLayout& layout = BodyLayout(generation);
    if (slot == TimingSlot::k48Hz) {
        const FieldSpec* flag = FieldNamed(layout, "bSupport48Hz");
        return LoadMember(body + flag->offset, flag->width) == 1 ? flag->name : nullptr;
    }
    if (slot == TimingSlot::k50Hz) {
        const FieldSpec* fixed = FieldNamed(layout, "enPanelFixrateType");
        const char* name = EnumNameOf(*fixed->names, LoadMember(body + fixed->offset, fixed->width));
        return name != nullptr && strstr(name, "50HZ") != nullptr ? fixed->name : nullptr;
    }
    return nullptr;
}

std::string Porches(const char* direction, KS_U32 front, KS_U32 sync, long long back) {
    return std::string(direction) + " " + std::to_string(front) + "/" + std::to_string(sync) + "/" +
           std::to_string(back);
}

}  // namespace

ClockReading ReadClock(const std::string& option, const PanelFile& file) {
    ClockReading clock;
    if (!option.empty()) {
        if (!ClockUnitNamed(option.c_str(), &clock.unit))
            throw Failure(kExitUsage, "--clock-unit must be Hz, kHz, 10kHz or MHz, not " + option);
        clock.known = true;
        clock.sentence = std::string("pixel clock read as ") + ClockUnitName(clock.unit) +
                         " (--clock-unit)";
        clock.json = {{"unit", ClockUnitName(clock.unit)}, {"from", "--clock-unit"},
                      {"fitting", nullptr}, {"panels", file.bodies.size()}};
        return clock;
    }
    std::vector<StoredTiming> timings;
    for (const std::vector<KS_U8>& body : file.bodies)
        timings.push_back(TimingOf(body.data(), TimingSlot::k60Hz));
    const ClockUnitChoice choice = DetectClockUnit(timings.data(), timings.size());
    clock.known = choice.known;
    clock.unit = choice.unit;
    size_t fitting = 0;
    for (size_t u = 0; u < kClockUnitCount; ++u)
        if (kClockUnits[u] == choice.unit) fitting = choice.fitting[u];
    if (choice.known)
        clock.sentence = std::string("pixel clock read as ") + ClockUnitName(choice.unit) + ": " +
                         std::to_string(fitting) + " of " +
                         Plural(choice.panels, "panel's", "panels'") + " 60 Hz timings fit";
    else
        clock.sentence = "pixel clock unit unknown: no panel's 60 Hz timing comes within 2 % of "
                         "60 Hz in Hz, kHz, 10 kHz or MHz (--clock-unit names one)";
    clock.json = {{"unit", choice.known ? Json(ClockUnitName(choice.unit)) : Json(nullptr)},
                  {"from", "the file's 60 Hz timings"},
                  {"fitting", fitting},
                  {"panels", choice.panels}};
    return clock;
}

std::vector<GivenTiming> PanelTimings(PanelGeneration generation, const KS_U8* body) {
    std::vector<GivenTiming> timings;
    for (TimingSlot slot : kTimingSlots) {
        GivenTiming t = {slot, TimingOf(body, slot), ClaimOf(generation, body, slot), false};
        t.given = slot == TimingSlot::k60Hz || t.claim != nullptr || !TimingIsEmpty(t.timing);
        timings.push_back(t);
    }
    return timings;
}

std::string TimingField(TimingSlot slot, const char* member) {
    /* The porches are 16-bit members and named so: u16Timing60HzHsyncFP. */
    const bool porch = strstr(member, "FP") != nullptr;
    return std::string(porch ? "u16Timing" : "stTiming") + std::to_string(NominalHz(slot)) + "Hz" +
           member;
}

std::string RatesText(const StoredTiming& t, const ClockReading& clock) {
    if (!clock.known) return "clock " + std::to_string(t.pixelClock) + " (unit unknown)";
    const TimingRates rates = RatesOf(t, clock.unit);
    const std::string mhz = Decimal(rates.clockKHz) + " MHz";
    if (!rates.known) return mhz + " (a total is 0)";
    return Decimal(rates.refreshMilliHz) + " Hz " + Decimal(rates.lineHz) + " kHz " + mhz;
}

std::string TimingLine(const GivenTiming& given, const ClockReading& clock) {
    const std::string head = std::to_string(NominalHz(given.slot)) + " Hz: ";
    if (!given.given) return head + "not given";
    if (TimingIsEmpty(given.timing))
        return head + "all zero" + (given.claim != nullptr ? std::string(", claimed by ") + given.claim : "");
    const StoredTiming& t = given.timing;
    const TimingShape shape = ShapeOf(t);
    return head + std::to_string(t.width) + "x" + std::to_string(t.height) + " " +
           RatesText(t, clock) + "  " + Porches("h", t.hFront, t.hSync, shape.hBack) + " " +
           Porches("v", t.vFront, t.vSync, shape.vBack) + "  total " + std::to_string(t.htotal) +
           "x" + std::to_string(t.vtotal);
}

Json TimingJson(const GivenTiming& given, const ClockReading& clock) {
    const StoredTiming& t = given.timing;
    const TimingShape shape = ShapeOf(t);
    const TimingRates rates = clock.known ? RatesOf(t, clock.unit) : TimingRates{false, 0, 0, 0};
    auto rate = [&](unsigned long long value, bool known) {
        return known ? Json(Decimal(value)) : Json(nullptr);
    };
    return {{"nominalHz", NominalHz(given.slot)},
            {"given", given.given},
            {"claimedBy", given.claim != nullptr ? Json(given.claim) : Json(nullptr)},
            {"pixelClock", t.pixelClock},
            {"htotal", t.htotal},
            {"vtotal", t.vtotal},
            {"hFrontPorch", t.hFront},
            {"hSync", t.hSync},
            {"hBackPorch", shape.hBack},
            {"hBlank", shape.hBlank},
            {"vFrontPorch", t.vFront},
            {"vSync", t.vSync},
            {"vBackPorch", shape.vBack},
            {"vBlank", shape.vBlank},
            {"pixelClockMHz", rate(rates.clockKHz, clock.known)},
            {"lineKHz", rate(rates.lineHz, rates.known)},
            {"refreshHz", rate(rates.refreshMilliHz, rates.known)}};
}
