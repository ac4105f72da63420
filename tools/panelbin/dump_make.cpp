/* dump and make: a bin file as a JSON document and back. */
#include <stdio.h>

#include <iostream>

#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/input.h"
#include "tools/panelbin/json_input.h"
#include "tools/panelbin/panel_file.h"

int RunDump(const Options& options) {
    PanelGeneration chip;
    PanelFile file = LoadPanelFile(options.file, ChipOption(options.chip, &chip), options.index);
    std::cout << PrettyJson(PanelFileToJson(file)) << '\n';
    return kExitOk;
}

int RunMake(const Options& options) {
    const std::string name = options.from == "-" ? "standard input" : options.from;
    Json document = ParseDocument(ReadDocument(options.from, kMaxDocumentBytes), name);
    PanelGeneration chip;
    PanelFile file = PanelFileFromJson(document, ChipOption(options.chip, &chip));
    WritePanelFile(options.file, file);
    /* Written as given, as makePanelBin writes what the Java side gives; a
     * header that miscounts is worth a word (dump --index keeps the total). */
    if (file.header.u32TotalNum != file.bodies.size())
        fprintf(stderr, "panelbin: warning: the header's u32TotalNum is %u, the file holds %zu panel%s\n",
                file.header.u32TotalNum, file.bodies.size(), file.bodies.size() == 1 ? "" : "s");
    /* With the image on standard output, the word on it goes to stderr. */
    fprintf(options.file == "-" ? stderr : stdout, "%s: %s, %zu panel%s written\n",
            InputName(options.file).c_str(), GenerationName(file.generation), file.bodies.size(),
            file.bodies.size() == 1 ? "" : "s");
    return kExitOk;
}
