/* timing: one panel's three timings in full, with a picture of one line
 * and one frame to scale, and the panel's conformity verdict. */
#include <stdio.h>

#include <algorithm>

#include "tools/panelbin/commands.h"
#include "tools/panelbin/conformity.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/input.h"
#include "tools/panelbin/panel_file.h"

namespace {

const size_t kLineColumns = 64;
const size_t kFrameRows = 16;
const char kPartMarks[] = "#fSb"; /* active, front porch, sync, back porch */

/* The parts of a line or frame in `cells` characters, to scale; a part
 * that is there at all gets at least one, taken from the largest. */
std::vector<size_t> Scaled(const std::vector<unsigned long long>& parts, size_t cells) {
    unsigned long long total = 0;
    for (unsigned long long p : parts) total += p;
    std::vector<size_t> widths;
    size_t used = 0;
    for (unsigned long long p : parts) {
        size_t w = static_cast<size_t>(p * cells / total);
        if (p > 0 && w == 0) w = 1;
        widths.push_back(w);
        used += w;
    }
    const size_t largest = static_cast<size_t>(std::max_element(parts.begin(), parts.end()) - parts.begin());
    if (used < cells) widths[largest] += cells - used;
    while (used > cells && widths[largest] > 1) {
        --widths[largest];
        --used;
    }
    return widths;
}

/* "##...ffSbbb": each part's mark as many times as its width. */
std::string Marks(const std::vector<size_t>& widths) {
    std::string text;
    for (size_t k = 0; k < widths.size(); ++k) text += std::string(widths[k], kPartMarks[k]);
    return text;
}

void Picture(const GivenTiming& given) {
    const StoredTiming& t = given.timing;
    const TimingShape shape = ShapeOf(t);
    const unsigned hz = NominalHz(given.slot);
    if (shape.hBack < 0 || shape.vBack < 0 || t.htotal == 0 || t.vtotal == 0) {
        printf("\nno picture of the %u Hz timing: its totals do not hold its parts\n", hz);
        return;
    }
    const std::vector<size_t> columns =
        Scaled({t.width, t.hFront, t.hSync, static_cast<unsigned long long>(shape.hBack)}, kLineColumns);
    const std::vector<size_t> rows =
        Scaled({t.height, t.vFront, t.vSync, static_cast<unsigned long long>(shape.vBack)}, kFrameRows);
    printf("\none line of the %u Hz timing, %u pixels:\n  |%s|\n", hz, t.htotal, Marks(columns).c_str());
    printf("  active %u, front porch %u, sync %u, back porch %lld\n", t.width, t.hFront, t.hSync,
           shape.hBack);
    printf("one frame, %u lines (a row is about %u lines):\n", t.vtotal,
           std::max(1u, t.vtotal / static_cast<unsigned>(kFrameRows)));
    const std::string blankColumns = Marks(columns).substr(columns[0]);
    for (size_t part = 0; part < rows.size(); ++part)
        for (size_t r = 0; r < rows[part]; ++r)
            printf("  |%s|\n", part == 0 ? (std::string(columns[0], kPartMarks[0]) + blankColumns).c_str()
                                         : std::string(kLineColumns, kPartMarks[part]).c_str());
    printf("  active %u, front porch %u, sync %u, back porch %lld\n", t.height, t.vFront, t.vSync,
           shape.vBack);
    printf("  # active, f front porch, S sync, b back porch\n");
}

void Details(const GivenTiming& given, const ClockReading& clock) {
    printf("%s\n", TimingLine(given, clock).c_str());
    const StoredTiming& t = given.timing;
    if (!given.given || TimingIsEmpty(t)) return;
    const TimingShape shape = ShapeOf(t);
    printf("  horizontal: active %u, front porch %u, sync %u, back porch %lld, blanking %lld, "
           "total %u pixels\n",
           t.width, t.hFront, t.hSync, shape.hBack, shape.hBlank, t.htotal);
    printf("  vertical:   active %u, front porch %u, sync %u, back porch %lld, blanking %lld, "
           "total %u lines\n",
           t.height, t.vFront, t.vSync, shape.vBack, shape.vBlank, t.vtotal);
    printf("  pixel clock %u%s%s\n", t.pixelClock, clock.known ? " " : "",
           clock.known ? ClockUnitName(clock.unit) : " (unit unknown)");
}

}  // namespace

int RunTiming(const Options& options) {
    PanelGeneration chip;
    const PanelGeneration* given = ChipOption(options.chip, &chip);
    const BinInput input(options.file);
    const std::string name = InputName(options.file);
    /* A damaged file's values are no panel's: said, not pictured. */
    const BinCheck check = CheckInput(input, name, given);
    if (!check.status.ok()) throw Failure(kExitFailed, name + ": damaged: " + check.status.text);
    const PanelFile file = LoadPanelImage(input, name, given);
    if (static_cast<size_t>(options.index) >= file.bodies.size())
        throw Failure(kExitUsage, "INDEX must be a panel number below " +
                                      std::to_string(file.bodies.size()));
    const ClockReading clock = ReadClock(options.clockUnit, file);
    const size_t i = static_cast<size_t>(options.index);
    const KS_U8* body = file.bodies[i].data();
    const Json panel = RecordToJson(BodyLayout(file.generation), body);
    printf("%s panel %zu %s, %s\n%s\n", name.c_str(), i,
           Json(TextOf(panel["chName"])).dump().c_str(), GenerationName(file.generation),
           clock.sentence.c_str());
    const std::vector<GivenTiming> timings = PanelTimings(file.generation, body);
    for (const GivenTiming& t : timings) Details(t, clock);
    Picture(timings.front());
    const std::vector<Finding> findings = PanelFindings(file.generation, body, static_cast<long long>(i), clock);
    printf("\n");
    for (const Finding& f : findings) printf("%s\n", FindingLine(f).c_str());
    printf("%s\n", Verdict(findings, false).c_str());
    return kExitOk;
}
