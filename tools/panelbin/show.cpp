/* show: the header and one line per panel. */
#include "tools/panelbin/show.h"

#include <stdio.h>

#include <iostream>

#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/input.h"
#include "tools/panelbin/panel_file.h"

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

void PrintPanelTableHead(bool backlight) {
    printf("%5s  %s%s%s%5s%s\n", "index", Pad("name", 26).c_str(), Pad("resolution", 12).c_str(),
           Pad("interface", 10).c_str(), "rate", backlight ? "  backlight (min..max)" : "");
}

void PrintPanelLine(const std::string& label, const Json& panel, bool backlight) {
    std::string size = std::to_string(JsonInt(panel["u32PanelWidth"])) + "x" +
                       std::to_string(JsonInt(panel["u32Panelheight"]));
    printf("%5s  %s%s%s%5lld", label.c_str(), Pad(TextOf(panel["chName"]), 26).c_str(),
           Pad(size, 12).c_str(), Pad(OptionText(panel["enIntfType"]), 10).c_str(),
           JsonInt(panel["u32FrameRateMax"]));
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

/* The same in one document: the header whole, each panel's columns in
 * the forms dump gives them. */
Json ShowJson(const Options& options, const PanelFile& file, const Json& document) {
    Json panels = Json::array();
    for (size_t i = 0; i < file.bodies.size(); ++i) {
        Json line = {{"index", file.indices[i]}};
        for (const char* name : kShowFields) line[name] = document["panels"][i][name];
        panels.push_back(line);
    }
    return {{"file", options.file},
            {"generation", GenerationName(file.generation)},
            {"generationFrom", file.generationSource},
            {"header", document["header"]},
            {"panels", panels}};
}

}  // namespace

int RunShow(const Options& options) {
    PanelGeneration chip;
    PanelFile file = LoadPanelFile(options.file, ChipOption(options.chip, &chip));
    Json document = PanelFileToJson(file);
    if (options.json) {
        std::cout << PrettyJson(ShowJson(options, file, document)) << '\n';
        return kExitOk;
    }
    const Json& header = document["header"];
    printf("%s: %s (%s), %zu panel%s\n", InputName(options.file).c_str(), GenerationName(file.generation),
           file.generationSource.c_str(), file.bodies.size(), file.bodies.size() == 1 ? "" : "s");
    printf("header: media %s (id %lld), address 0x%08X, total %u, selected %u\n",
           OptionText(header["enMedia"]).c_str(), JsonInt(header["enMedia"]), file.header.u32Addr,
           file.header.u32TotalNum, file.header.u32Index);
    if (file.bodies.empty()) return kExitOk;
    PrintPanelTableHead(true);
    for (size_t i = 0; i < file.bodies.size(); ++i)
        PrintPanelLine(std::to_string(file.indices[i]), document["panels"][i], true);
    return kExitOk;
}
