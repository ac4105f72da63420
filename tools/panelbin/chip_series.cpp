/* The other series' read, after a reply that did not fit. */
#include "tools/panelbin/chip_series.h"

#include "panel/model/generation.h"

namespace {

/* The link's texts for a reply that ended early (a longer one was awaited),
 * whose checksum is off (it was read from the middle of a longer reply), or
 * that went on where the last respond byte was due. */
const char* const kMisfitTexts[] = {"Failed to check checksum", "Failed to receive checksum",
                                    "Failed to receive data", "Failed to check respond"};

}  // namespace

bool MisfitReply(const LinkFailed& failure) {
    for (const char* text : kMisfitTexts)
        if (failure.linkText().find(text) != std::string::npos) return true;
    return false;
}

PanelGeneration OtherSeries(PanelGeneration generation) {
    return generation == PanelGeneration::kR100 ? PanelGeneration::kR120 : PanelGeneration::kR100;
}

std::vector<KS_U8> ReadAsOtherSeries(const Target& target, const std::string& tracePath,
                                     PanelGeneration tried, const LinkFailed& failure) {
    const PanelGeneration other = OtherSeries(tried);
    const std::string trace = tracePath.empty() ? "" : tracePath + "." + GenerationName(other);
    try {
        BoardLink link(target, trace);
        return link.Fetch(other, std::string("no panel read as ") + GenerationName(other));
    } catch (const LinkFailed&) {
        throw failure;
    }
}

std::string HeldSeries(PanelGeneration held) {
    const std::string name = GenerationName(held);
    return "the board holds an " + name + " panel; use --chip " + name;
}
