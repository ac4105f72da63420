/* check: the conformity check. The container first, by the library's
 * whole-file check; then what each record's values mean (timings,
 * enumerations, flags, texts) and the header's count. Every finding is
 * listed, then the verdict. */
#include <stdio.h>

#include <iostream>

#include "panel/binfile/bin_file.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/conformity.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/input.h"
#include "tools/panelbin/panel_file.h"

int RunCheck(const Options& options) {
    PanelGeneration chip;
    const PanelGeneration* given = ChipOption(options.chip, &chip);
    const BinInput input(options.file);
    const std::string name = InputName(options.file);
    const BinCheck check = CheckInput(input, name, given);
    const bool sound = check.status.ok();
    std::vector<Finding> findings;
    if (!sound) findings.push_back({true, -1, "", check.status.text});
    PanelFile file;
    const bool read = ReadCheckedPanels(input, name, check, given, &file);
    ClockReading clock;
    if (read) {
        clock = ReadClock(options.clockUnit, file);
        const std::vector<Finding> header = HeaderFindings(file.header, file.bodies.size());
        findings.insert(findings.end(), header.begin(), header.end());
        for (size_t i = 0; i < file.bodies.size(); ++i) {
            const std::vector<Finding> panel =
                PanelFindings(file.generation, file.bodies[i].data(), file.indices[i], clock);
            findings.insert(findings.end(), panel.begin(), panel.end());
        }
    }
    const char* how = given != nullptr ? "from --chip"
                      : check.generationKnown ? "from the stored panel size"
                                              : "no panels to tell";
    const int status = Fails(findings, options.strict) ? kExitFailed : kExitOk;
    if (options.json) {
        Json list = Json::array();
        size_t errors = 0;
        for (const Finding& f : findings) {
            list.push_back(FindingJson(f));
            errors += f.error ? 1 : 0;
        }
        Json result = {{"file", name},
                       {"sound", sound},
                       {"fault", sound ? Json(nullptr) : Json(check.status.text)},
                       {"generation", check.generationKnown ? Json(GenerationName(check.generation))
                                                            : Json(nullptr)},
                       {"generationFrom", how},
                       {"panels", check.panels},
                       {"clock", read ? clock.json : Json(nullptr)},
                       {"findings", list},
                       {"errors", errors},
                       {"warnings", findings.size() - errors},
                       {"conformity", status == kExitOk ? "PASS" : "FAIL"},
                       {"strict", options.strict},
                       {"exitStatus", status}};
        std::cout << PrettyJson(result) << '\n';
        return status;
    }
    if (sound)
        printf("%s: sound, %s (%s), %u panel%s\n", name.c_str(),
               check.generationKnown ? GenerationName(check.generation) : "any chip series", how,
               check.panels, check.panels == 1 ? "" : "s");
    else
        printf("%s: damaged: %s\n", name.c_str(), check.status.text);
    if (read && !file.bodies.empty()) printf("%s\n", clock.sentence.c_str());
    for (const Finding& f : findings) printf("%s\n", FindingLine(f).c_str());
    printf("%s%s\n", Verdict(findings, options.strict).c_str(), options.strict ? " --strict" : "");
    return status;
}
