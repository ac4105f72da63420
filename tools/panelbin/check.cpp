/* check: the library's whole-file check, its verdict and first fault. */
#include <stdio.h>

#include <vector>

#include "panel/binfile/bin_file.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/panel_file.h"

int RunCheck(const Options& options) {
    PanelGeneration chip;
    const PanelGeneration* given = ChipOption(options.chip, &chip);
    std::vector<KS_U8> stream;
    BinCheck check = ReadStream(options.file, &stream)
                         ? CheckBinImage(stream.data(), stream.size(), given)
                         : CheckBinFile(options.file.c_str(), given);
    if (!check.status.ok()) {
        printf("%s: damaged: %s\n", options.file.c_str(), check.status.text);
        return kExitFailed;
    }
    const char* how = given != nullptr ? "from --chip"
                      : check.generationKnown ? "from the stored panel size"
                                              : "no panels to tell";
    printf("%s: sound, %s (%s), %u panel%s\n", options.file.c_str(),
           check.generationKnown ? GenerationName(check.generation) : "any chip series", how,
           check.panels, check.panels == 1 ? "" : "s");
    return kExitOk;
}
