/* show: the header and one line per panel. */
#include "tools/panelbin/show.h"

#include <stdio.h>

#include <iostream>

#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/input.h"
#include "tools/panelbin/panel_file.h"
#include "tools/panelbin/panel_timings.h"

namespace {

/* Columns a character takes on a terminal: 2 for the wide East Asian
 * ranges (panel names are often Chinese), 1 for the rest. */
size_t Columns(KS_U32 code) {
    static const KS_U32 kWide[][2] = {{0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0xA4CF},
                                      {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE30, 0xFE4F},
                                      {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
                                      {0x1F900, 0x1F9FF}, {0x20000, 0x3FFFD}};
    for (const auto& range : kWide)
        if (code >= range[0] && code <= range[1]) return 2;
    return 1;
}

/* Pads to `width` terminal columns, at least one blank after the text. */
std::string Pad(const std::string& text, size_t width) {
    size_t columns = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        size_t n = bytes[i] < 0x80 ? 1 : bytes[i] < 0xE0 ? 2 : bytes[i] < 0xF0 ? 3 : 4;
        KS_U32 code = n == 1 ? bytes[i] : bytes[i] & (0x7Fu >> n);
        for (size_t k = 1; k < n && i + k < text.size(); ++k) code = code << 6 | (bytes[i + k] & 0x3Fu);
        columns += Columns(code);
        i += n;
    }
    return columns >= width ? text + " " : text + std::string(width - columns, ' ');
}

/* "VBONE", or the number where the stored value has no name. */
std::string OptionText(const Json& option) {
    if (option["name"].is_string()) return option["name"].get<std::string>();
    return std::to_string(JsonInt(option));
}

}  // namespace

/* Wide enough for "60.000/50.000/48.000". */
const size_t kRefreshColumns = 22;

void PrintPanelTableHead(bool backlight, bool refresh) {
    printf("%5s  %s%s%s%5s%s%s\n", "index", Pad("name", 26).c_str(), Pad("resolution", 12).c_str(),
           Pad("interface", 10).c_str(), "rate",
           refresh ? ("  " + Pad("refresh (Hz)", kRefreshColumns)).c_str() : "",
           backlight ? "  backlight (min..max)" : "");
}

void PrintPanelLine(const std::string& label, const Json& panel, bool backlight,
                    const std::string* refresh) {
    std::string size = std::to_string(JsonInt(panel["u32PanelWidth"])) + "x" +
                       std::to_string(JsonInt(panel["u32Panelheight"]));
    printf("%5s  %s%s%s%5lld", label.c_str(), Pad(TextOf(panel["chName"]), 26).c_str(),
           Pad(size, 12).c_str(), Pad(OptionText(panel["enIntfType"]), 10).c_str(),
           JsonInt(panel["u32FrameRateMax"]));
    if (refresh != nullptr) printf("  %s", Pad(*refresh, kRefreshColumns).c_str());
    if (backlight)
        printf("  %lld (%lld..%lld)", JsonInt(panel["u32PanelBackLightPwm"]),
               JsonInt(panel["u32BlPwmUserMin"]), JsonInt(panel["u32BlPwmUserMax"]));
    printf("\n");
}

const char* const kShowFields[] = {"chName",          "u32PanelWidth",        "u32Panelheight",
                                   "enIntfType",      "u32FrameRateMax",      "u32PanelBackLightPwm",
                                   "u32BlPwmUserMin", "u32BlPwmUserMax"};
const size_t kShowFieldCount = sizeof kShowFields / sizeof kShowFields[0];

namespace {

/* "60.000/50.000/48.000": the refresh of the 60, 50 and 48 Hz timings,
 * "-" for one not given, "?" without a unit or a total. */
std::string RefreshColumn(const std::vector<GivenTiming>& timings, const ClockReading& clock) {
    std::string column;
    for (const GivenTiming& t : timings) {
        const TimingRates rates = RatesOf(t.timing, clock.unit);
        char text[32];
        const char* rate = !t.given                     ? "-"
                           : clock.known && rates.known ? FormatThousandths(rates.refreshMilliHz, text, sizeof text)
                                                        : "?";
        column += (column.empty() ? "" : "/") + std::string(rate);
    }
    return column;
}

/* The same in one document: the header whole, each panel's columns in
 * the forms dump gives them and its timings with the derived values. */
Json ShowJson(const std::string& name, const std::string& damage, const PanelFile* file,
              const ClockReading& clock, const Json& document) {
    Json panels = Json::array();
    for (size_t i = 0; file != nullptr && i < file->bodies.size(); ++i) {
        Json line = {{"index", file->indices[i]}};
        for (const char* field : kShowFields) line[field] = document["panels"][i][field];
        Json timings = Json::array();
        for (const GivenTiming& t : PanelTimings(file->generation, file->bodies[i].data()))
            timings.push_back(TimingJson(t, clock));
        line["timings"] = timings;
        panels.push_back(line);
    }
    const bool read = file != nullptr;
    return {{"file", name},
            {"damaged", damage.empty() ? Json(nullptr) : Json(damage)},
            {"generation", read ? Json(GenerationName(file->generation)) : Json(nullptr)},
            {"generationFrom", read ? Json(file->generationSource) : Json(nullptr)},
            {"header", read ? document["header"] : Json(nullptr)},
            {"clock", read ? clock.json : Json(nullptr)},
            {"panels", panels}};
}

/* The damage of an input, or "" for a sound one; the panels of a damaged
 * file are read where its image is whole and the reader still reads it. */
std::string Damage(const BinInput& input, const std::string& name, const PanelGeneration* chip,
                   PanelFile* file, bool* read) {
    const BinCheck check = CheckInput(input, name, chip);
    *read = ReadCheckedPanels(input, name, check, chip, file);
    return check.status.ok() ? "" : check.status.text;
}

}  // namespace

int RunShow(const Options& options) {
    PanelGeneration chip;
    const BinInput input(options.file);
    const std::string name = InputName(options.file);
    PanelFile file;
    bool read = false;
    const std::string damage = Damage(input, name, ChipOption(options.chip, &chip), &file, &read);
    const int status = damage.empty() ? kExitOk : kExitFailed;
    const ClockReading clock = read ? ReadClock(options.clockUnit, file) : ClockReading();
    const Json document = read ? PanelFileToJson(file) : Json(nullptr);
    if (options.json) {
        std::cout << PrettyJson(ShowJson(name, damage, read ? &file : nullptr, clock, document)) << '\n';
        return status;
    }
    if (!damage.empty()) printf("%s: damaged: %s\n", name.c_str(), damage.c_str());
    if (!read) return status;
    const Json& header = document["header"];
    printf("%s: %s (%s), %zu panel%s\n", name.c_str(), GenerationName(file.generation),
           file.generationSource.c_str(), file.bodies.size(), file.bodies.size() == 1 ? "" : "s");
    printf("header: media %s (id %lld), address 0x%08X, total %u, selected %u\n",
           OptionText(header["enMedia"]).c_str(), JsonInt(header["enMedia"]), file.header.u32Addr,
           file.header.u32TotalNum, file.header.u32Index);
    if (file.bodies.empty()) return status;
    printf("%s\n", clock.sentence.c_str());
    PrintPanelTableHead(true, true);
    for (size_t i = 0; i < file.bodies.size(); ++i) {
        const std::vector<GivenTiming> timings = PanelTimings(file.generation, file.bodies[i].data());
        const std::string refresh = RefreshColumn(timings, clock);
        PrintPanelLine(std::to_string(file.indices[i]), document["panels"][i], true, &refresh);
        if (!options.timings) continue;
        for (const GivenTiming& t : timings)
            if (t.given) printf("%7s%s\n", "", TimingLine(t, clock).c_str());
    }
    return status;
}
