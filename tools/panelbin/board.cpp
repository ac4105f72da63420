/* pull: the board's panel back, through the same link and payload as
 * readPanelDataFromBoard. push and verify live in flash.cpp. */
#include <stdio.h>

#include <iostream>
#include <memory>
#include <string>

#include "tools/panelbin/board_link.h"
#include "tools/panelbin/chip_series.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/panel_file.h"
#include "tools/panelbin/show.h"

namespace {

/* The board's panel info as `*chip`; when the reply does not fit, as the
 * other series, which a --chip given refuses and its absence takes with a
 * note. */
std::vector<KS_U8> FetchPanel(const Target& target, const Options& options, PanelGeneration* chip) {
    std::unique_ptr<LinkFailed> misfit;
    {
        BoardLink link(target, options.tracePath);
        try {
            return link.Fetch(*chip, "no panel read");
        } catch (const LinkFailed& failure) {
            if (!MisfitReply(failure)) throw;
            misfit.reset(new LinkFailed(failure));
        }
    }
    std::vector<KS_U8> body = ReadAsOtherSeries(target, options.tracePath, *chip, *misfit);
    *chip = OtherSeries(*chip);
    if (!options.chip.empty()) throw Failure(kExitBoard, target.where + ": " + HeldSeries(*chip));
    fprintf(stderr, "panelbin: note: %s: the board holds an %s panel; read as %s\n", target.where.c_str(),
            GenerationName(*chip), GenerationName(*chip));
    return body;
}

}  // namespace

int RunPull(const Options& options) {
    PanelGeneration chip = GenerationOf(options.chip.c_str());
    Target target = options.tcp.empty() ? SerialTarget(options.serial) : TcpTarget(options.tcp);
    std::vector<KS_U8> body = FetchPanel(target, options, &chip);
    /* Only the panel info came from the board: the rest of the body is zero,
     * as it is in the object readPanelDataFromBoard fills. */
    Json panel = RecordToJson(BodyLayout(chip), body.data());
    if (options.json) {
        /* The document of a one-panel file, so that make takes it as it is:
         * the header zero but for its total. */
        PanelFile file;
        file.generation = chip;
        file.header.u32TotalNum = 1;
        file.indices.push_back(0);
        file.bodies.push_back(body);
        std::cout << PrettyJson(PanelFileToJson(file)) << '\n';
        return kExitOk;
    }
    printf("%s: %s panel info\n", target.where.c_str(), GenerationName(chip));
    PrintPanelTableHead(false);
    PrintPanelLine("board", panel, false);
    return kExitOk;
}
