/* dump and make: a bin file as a JSON document and back. */
#include <stdio.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/panel_file.h"

namespace {

std::string ReadAll(const std::string& path) {
    if (path == "-") {
        std::ostringstream text;
        text << std::cin.rdbuf();
        return text.str();
    }
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) throw Failure(kExitFailed, "cannot read " + path);
    return text;
}

/* The parser's own words, without its "[json.exception.parse_error.101] ". */
std::string ParseErrorText(const Json::parse_error& error) {
    std::string text = error.what();
    size_t end = text.find("] ");
    return end == std::string::npos ? text : text.substr(end + 2);
}

}  // namespace

int RunDump(const Options& options) {
    PanelGeneration chip;
    PanelFile file = LoadPanelFile(options.file, ChipOption(options.chip, &chip), options.index);
    std::cout << PrettyJson(PanelFileToJson(file)) << '\n';
    return kExitOk;
}

int RunMake(const Options& options) {
    Json document;
    try {
        document = Json::parse(ReadAll(options.from));
    } catch (const Json::parse_error& error) {
        throw Failure(kExitFailed, options.from + ": not JSON: " + ParseErrorText(error));
    }
    PanelGeneration chip;
    PanelFile file = PanelFileFromJson(document, ChipOption(options.chip, &chip));
    WritePanelFile(options.file, file);
    printf("%s: %s, %zu panel%s written\n", options.file.c_str(), GenerationName(file.generation),
           file.bodies.size(), file.bodies.size() == 1 ? "" : "s");
    return kExitOk;
}
