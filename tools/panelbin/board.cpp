/* push and pull: one panel to a board, or the board's panel back, through
 * the same link and payloads as writePanelDataToBoard and
 * readPanelDataFromBoard. */
#include <stdio.h>
#include <stdlib.h>

#include <iostream>
#include <string>

#include "board/panel_exchange.h"
#include "include/Communication_c.h"
#include "comm/link_access.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/panel_file.h"
#include "tools/panelbin/show.h"

namespace {

/* The Java application's serial start: the line is 115200 8N1 whatever
 * these say, the timeout is in milliseconds. */
const int kSerialTimeout = 5000;

/* The link's own words for its last failure; where it has none, it
 * refused the arguments before trying. */
Failure LinkFailure(const std::string& what, const char* refused) {
    std::string text;
    if (!GetStrErrCopy(text) || text.empty()) text = refused;
    return Failure(kExitBoard, what + ": " + text);
}

const char kRefused[] = "the board link refused it";

/* HOST:PORT as the link takes it: a dotted IPv4 address and a port. */
void SplitHostPort(const std::string& tcp, std::string* host, int* port) {
    size_t colon = tcp.rfind(':');
    std::string digits = colon == std::string::npos ? "" : tcp.substr(colon + 1);
    char* end = nullptr;
    long number = digits.empty() ? -1 : strtol(digits.c_str(), &end, 10);
    if (colon == 0 || digits.empty() || *end != '\0' || number < 0 || number > 65535)
        throw Failure(kExitUsage, "--tcp wants HOST:PORT (port 0..65535), not \"" + tcp + "\"");
    *host = tcp.substr(0, colon);
    *port = static_cast<int>(number);
}

/* A started link, ended when it goes out of scope. */
class BoardLink {
public:
    explicit BoardLink(const Options& options) {
        bool started = false;
        if (!options.tcp.empty()) {
            std::string host;
            int port = 0;
            SplitHostPort(options.tcp, &host, &port);
            m_name = options.tcp;
            started = StartPanelLinkTcp(host.c_str(), port);
        } else {
            m_name = options.serial;
            started = StartPanelLinkSerial(options.serial.c_str(), kSerialTimeout, 115200, 8, 0,
                                           0, 0);
        }
        if (!started)
            throw LinkFailure("cannot start the link to " + m_name,
                              options.tcp.empty() ? kRefused
                                                  : "the board link takes a dotted IPv4 address "
                                                    "and a port up to 32767");
    }
    ~BoardLink() { EndConnection(); }
    BoardLink(const BoardLink&) = delete;
    BoardLink& operator=(const BoardLink&) = delete;

    const std::string& name() const { return m_name; }

private:
    std::string m_name;
};

}  // namespace

int RunPush(const Options& options) {
    PanelGeneration chip;
    PanelFile file = LoadPanelFile(options.file, ChipOption(options.chip, &chip), options.index);
    BoardLink link(options);
    if (!SendPanelInfo(file.generation, file.bodies[0].data()))
        throw LinkFailure("panel " + std::to_string(options.index) + " not written to " +
                              link.name(),
                          kRefused);
    Json panel = RecordToJson(BodyLayout(file.generation), file.bodies[0].data());
    printf("panel %d (%s) written to %s as %s\n", options.index, panel["chName"].dump().c_str(),
           link.name().c_str(), GenerationName(file.generation));
    return kExitOk;
}

int RunPull(const Options& options) {
    PanelGeneration chip = GenerationOf(options.chip.c_str());
    std::vector<KS_U8> body(BodySize(chip));
    BoardLink link(options);
    if (!FetchPanelInfo(chip, body.data()))
        throw LinkFailure("no panel read from " + link.name(), kRefused);
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
