/* pull: the board's panel back, through the same link and payload as
 * readPanelDataFromBoard. push and verify live in flash.cpp. */
#include <stdio.h>

#include <iostream>
#include <string>

#include "tools/panelbin/board_link.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/panel_file.h"
#include "tools/panelbin/show.h"

int RunPull(const Options& options) {
    PanelGeneration chip = GenerationOf(options.chip.c_str());
    Target target = options.tcp.empty() ? SerialTarget(options.serial) : TcpTarget(options.tcp);
    BoardLink link(target, options.tracePath);
    std::vector<KS_U8> body = link.Fetch(chip, "no panel read");
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
    printf("%s: %s panel info\n", link.name().c_str(), GenerationName(chip));
    PrintPanelTableHead(false);
    PrintPanelLine("board", panel, false);
    return kExitOk;
}
