/* The findings of the conformity check, rule by rule. */
#include "tools/panelbin/conformity.h"

#include "panel/model/field_codec.h"
#include "tools/panelbin/field_text.h"
#include "tools/panelbin/utf8.h"

namespace {

/* A refresh rate further than this from its timing's nominal rate is
 * worth a warning. */
const KS_U32 kRefreshTolerancePercent = 1;

class Findings {
public:
    Findings(long long panel, std::vector<Finding>* all) : m_panel(panel), m_all(all) {}
    void Error(const std::string& field, const std::string& reason) {
        m_all->push_back({true, m_panel, field, reason});
    }
    void Warning(const std::string& field, const std::string& reason) {
        m_all->push_back({false, m_panel, field, reason});
    }

private:
    long long m_panel;
    std::vector<Finding>* m_all;
};

std::string N(long long value) { return std::to_string(value); }

/* A total must hold the active part, front porch and sync; a back porch of
 * 0 leaves the panel no time after sync. */
void CheckTotal(bool horizontal, const std::string& field, KS_U32 total, KS_U32 active,
                KS_U32 front, KS_U32 sync, long long back, Findings* findings) {
    const char* direction = horizontal ? "h" : "v";
    const std::string parts = std::string(horizontal ? "width " : "height ") + N(active) +
                              " + front porch " + N(front) + " + sync " + N(sync);
    if (back < 0)
        findings->Error(field, "total " + N(total) + " is less than " + parts + " = " +
                                   N(static_cast<long long>(active) + front + sync));
    else if (back == 0)
        findings->Warning(field, std::string(direction) + " back porch is 0 (total " + N(total) +
                                     " = " + parts + ")");
}

void CheckTiming(const GivenTiming& given, const ClockReading& clock, Findings* findings) {
    const KS_U32 hz = NominalHz(given.slot);
    const StoredTiming& t = given.timing;
    if (TimingIsEmpty(t)) {
        if (given.claim != nullptr)
            findings->Error(given.claim, "claims " + N(hz) + " Hz, but the " + N(hz) +
                                             " Hz timing is all zero");
        else
            findings->Warning(TimingField(given.slot, "PixelClk"), "no " + N(hz) + " Hz timing: all zero");
        return;
    }
    const TimingShape shape = ShapeOf(t);
    CheckTotal(true, TimingField(given.slot, "Htotal"), t.htotal, t.width, t.hFront, t.hSync,
               shape.hBack, findings);
    CheckTotal(false, TimingField(given.slot, "Vtotal"), t.vtotal, t.height, t.vFront, t.vSync,
               shape.vBack, findings);
    if (!clock.known || RefreshWithin(t, clock.unit, hz, kRefreshTolerancePercent)) return;
    char refresh[32];
    const TimingRates rates = RatesOf(t, clock.unit);
    findings->Warning(TimingField(given.slot, "PixelClk"),
                      std::string("refresh ") +
                          (rates.known ? FormatThousandths(rates.refreshMilliHz, refresh, sizeof refresh)
                                       : "unknown") +
                          " Hz with the clock read as " + ClockUnitName(clock.unit) + ", more than " +
                          N(kRefreshTolerancePercent) + " % from " + N(hz) + " Hz");
}

/* Enumerations hold one of their choices, flags 0 or 1, texts valid
 * (modified) UTF-8 with room for their terminating zero. */
void CheckFields(const RecordLayout& layout, const KS_U8* record, Findings* findings) {
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        if (def.kind == FieldKind::kText) {
            const size_t length = TextLength(def, record);
            const std::string bytes(record + def.offset, record + def.offset + length);
            if (ToModifiedUtf8(FromModifiedUtf8(record + def.offset, length)) != bytes)
                findings->Warning(def.name, "text is not valid UTF-8");
            if (length == def.width)
                findings->Warning(def.name, "text fills all " + N(def.width) + " bytes, no terminating zero");
            return true;
        }
        if (def.kind == FieldKind::kBytes) return true;
        const KS_U32 member = LoadMember(record + def.offset, def.width);
        if (def.names != nullptr && !IsEnumChoice(*def.names, member))
            findings->Error(def.name, "stored value " + N(member) + " is no choice (" +
                                          ChoiceList(def) + ")");
        else if (def.kind == FieldKind::kFlag && member > 1)
            findings->Error(def.name, "a flag holding " + N(member) + ", not 0 or 1");
        return true;
    });
}

size_t ErrorCount(const std::vector<Finding>& findings) {
    size_t errors = 0;
    for (const Finding& f : findings) errors += f.error ? 1 : 0;
    return errors;
}

}  // namespace

std::vector<Finding> PanelFindings(PanelGeneration generation, const KS_U8* body, long long panel,
                                   const ClockReading& clock) {
    std::vector<Finding> all;
    Findings findings(panel, &all);
    for (const GivenTiming& given : PanelTimings(generation, body))
        if (given.given) CheckTiming(given, clock, &findings);
    CheckFields(BodyLayout(generation), body, &findings);
    return all;
}

std::vector<Finding> HeaderFindings(const KS_PANEL_HEADER_S& header, size_t panels) {
    std::vector<Finding> all;
    Findings findings(-1, &all);
    CheckFields(PanelHeaderLayout(), reinterpret_cast<const KS_U8*>(&header), &findings);
    if (header.u32TotalNum != panels)
        findings.Warning("u32TotalNum", "the header's u32TotalNum is " + N(header.u32TotalNum) +
                                            ", the file holds " + N(static_cast<long long>(panels)) +
                                            (panels == 1 ? " panel" : " panels"));
    return all;
}

std::string FindingLine(const Finding& f) {
    std::string where = f.panel < 0 ? (f.field.empty() ? "file" : "header") : "panel " + N(f.panel);
    if (!f.field.empty()) where += ", " + f.field;
    return where + ": " + (f.error ? "error: " : "warning: ") + f.reason;
}

Json FindingJson(const Finding& f) {
    return {{"panel", f.panel < 0 ? Json(nullptr) : Json(f.panel)},
            {"field", f.field.empty() ? Json(nullptr) : Json(f.field)},
            {"level", f.error ? "error" : "warning"},
            {"reason", f.reason},
            {"line", FindingLine(f)}};
}

bool Fails(const std::vector<Finding>& findings, bool strict) {
    return ErrorCount(findings) > 0 || (strict && !findings.empty());
}

std::string Verdict(const std::vector<Finding>& findings, bool strict) {
    const size_t errors = ErrorCount(findings), warnings = findings.size() - errors;
    return std::string("conformity: ") + (Fails(findings, strict) ? "FAIL" : "PASS") + " (" +
           N(static_cast<long long>(errors)) + (errors == 1 ? " error, " : " errors, ") +
           N(static_cast<long long>(warnings)) + (warnings == 1 ? " warning)" : " warnings)");
}
