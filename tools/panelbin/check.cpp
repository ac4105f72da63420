/* check: the library's whole-file check, its verdict and first fault, and
 * warnings about a sound file's header. */
#include <stdio.h>

#include <iostream>

#include "panel/binfile/bin_file.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/input.h"
#include "tools/panelbin/panel_file.h"

namespace {

/* What a sound file's header says that its panels contradict. */
std::vector<std::string> HeaderWarnings(const BinInput& input, const std::string& name,
                                        const BinCheck& check) {
    BinFileReader reader;
    KS_PANEL_HEADER_S header = {};
    if (!reader.OpenImage(input.bytes(), input.imageSize(), check.generation) ||
        !reader.ReadHeader(&header))
        throw Failure(kExitFile, name + ": " + reader.status().text);
    std::vector<std::string> warnings;
    if (header.u32TotalNum != check.panels)
        warnings.push_back("the header's u32TotalNum is " + std::to_string(header.u32TotalNum) +
                           ", the file holds " + std::to_string(check.panels) + " panel" +
                           (check.panels == 1 ? "" : "s"));
    return warnings;
}

}  // namespace

int RunCheck(const Options& options) {
    PanelGeneration chip;
    const PanelGeneration* given = ChipOption(options.chip, &chip);
    const BinInput input(options.file);
    const std::string name = InputName(options.file);
    /* A size other than 819200 fails at once, the bytes unread: a regular
     * file is named by its own length, a stream only as far as it was kept. */
    BinCheck check;
    if (input.overLong())
        (void)check.status.Fail(BinFault::kFileSize, "more than %u bytes, expected %u", kBinFileSize,
                                kBinFileSize);
    else
        check = CheckBinImage(input.bytes(), input.size(), given);
    if (check.status.fault == BinFault::kRead || check.status.fault == BinFault::kNoMemory)
        throw Failure(kExitFile, name + ": " + check.status.text);
    const bool sound = check.status.ok();
    const std::vector<std::string> warnings =
        sound ? HeaderWarnings(input, name, check) : std::vector<std::string>();
    const char* how = given != nullptr ? "from --chip"
                      : check.generationKnown ? "from the stored panel size"
                                              : "no panels to tell";
    const int status = !sound || (options.strict && !warnings.empty()) ? kExitFailed : kExitOk;
    if (options.json) {
        Json result = {{"file", name},
                       {"sound", sound},
                       {"fault", sound ? Json(nullptr) : Json(check.status.text)},
                       {"generation", check.generationKnown ? Json(GenerationName(check.generation))
                                                            : Json(nullptr)},
                       {"generationFrom", how},
                       {"panels", check.panels},
                       {"warnings", warnings},
                       {"strict", options.strict},
                       {"exitStatus", status}};
        std::cout << PrettyJson(result) << '\n';
        return status;
    }
    if (!sound) {
        printf("%s: damaged: %s\n", name.c_str(), check.status.text);
        return status;
    }
    printf("%s: sound, %s (%s), %u panel%s\n", name.c_str(),
           check.generationKnown ? GenerationName(check.generation) : "any chip series", how,
           check.panels, check.panels == 1 ? "" : "s");
    for (const std::string& warning : warnings)
        printf("%s: warning%s: %s\n", name.c_str(), options.strict ? " (--strict)" : "",
               warning.c_str());
    return status;
}
