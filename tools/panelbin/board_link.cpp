/* Targets and the started link: the one place where the tool starts and
 * ends the board link and turns its failures into plain words. */
#include "tools/panelbin/board_link.h"

#include <stdlib.h>

#include <fstream>

#include "board/panel_exchange.h"
#include "include/Communication_c.h"
#include "comm/link_access.h"
#include "board/link_failure.h"
#include "tools/panelbin/progress.h"
#include "tools/panelbin/serial_ports.h"
#include "tools/panelbin/wire_tap.h"

namespace {

/* The Java application's serial start: the line is 115200 8N1 whatever
 * these say, the timeout is in milliseconds. */
const int kSerialTimeout = 5000;
/* The network start keeps the port in a signed 16-bit value: a higher one
 * would turn negative and be refused. */
const long kLastPort = 32767;
const char kSerialNumberPrefix[] = "serial:";

}  // namespace

Target TcpTarget(const std::string& hostPort) {
    size_t colon = hostPort.rfind(':');
    std::string digits = colon == std::string::npos ? "" : hostPort.substr(colon + 1);
    char* end = nullptr;
    long number = digits.empty() ? -1 : strtol(digits.c_str(), &end, 10);
    if (colon == 0 || digits.empty() || *end != '\0' || number < 0 || number > kLastPort)
        throw Failure(kExitUsage, "--tcp wants HOST:PORT with a port 0..32767, the highest the "
                                  "board link takes, not \"" + hostPort + "\"");
    Target target;
    target.where = hostPort;
    return target;
}

Target SerialTarget(const std::string& device) {
    Target target;
    target.serial = true;
    target.where = device.rfind(kSerialNumberPrefix, 0) == 0
                       ? PortBySerialNumber(device.substr(sizeof kSerialNumberPrefix - 1))
                       : device;
    return target;
}

std::vector<Target> ReadTargets(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw Failure(kExitFile, path + ": cannot be read");
    std::vector<Target> targets;
    size_t number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        line = line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
        bool serial = line[0] == '/' || line.rfind(kSerialNumberPrefix, 0) == 0;
        try {
            targets.push_back(serial ? SerialTarget(line) : TcpTarget(line));
        } catch (const Failure& failure) {
            /* Which line of the file, not which option, was wrong. */
            throw Failure(failure.exitStatus(), path + ":" + std::to_string(number) + ": " + failure.what());
        }
    }
    if (in.bad()) throw Failure(kExitFile, path + ": cannot be read");
    return targets;
}

BoardLink::BoardLink(const Target& target, const std::string& tracePath)
    : m_target(target), m_tap(new WireTap(tracePath)), m_progress(new Progress(target.where)) {
    bool started;
    if (target.serial) {
        started = StartPanelLinkSerial(target.where.c_str(), kSerialTimeout, 115200, 8, 0, 0, 0);
    } else {
        size_t colon = target.where.rfind(':');
        std::string host = target.where.substr(0, colon);
        started = StartPanelLinkTcp(host.c_str(), atoi(target.where.c_str() + colon + 1));
    }
    if (!started) throw LinkFailure("the link did not start");
}

/* The progress line goes before the link's end, the tap after it, so that
 * the trace shows the serial end-of-link frame. */
BoardLink::~BoardLink() {
    EndConnection();
    m_progress.reset();
}

Failure BoardLink::LinkFailure(const std::string& what) const {
    std::string text;
    if (!GetStrErrCopy(text) || text.empty())
        return Failure(kExitBoard, m_target.where + ": " + what +
                                       " (the board link refused the request before sending it)");
    return Failure(kExitBoard, DescribeLinkFailure(m_target.where, what, text));
}

void BoardLink::Send(PanelGeneration generation, const KS_U8* body, const std::string& what) const {
    if (!SendPanelInfo(generation, body)) throw LinkFailure(what);
}

std::vector<KS_U8> BoardLink::Fetch(PanelGeneration generation, const std::string& what) const {
    std::vector<KS_U8> body(BodySize(generation));
    if (!FetchPanelInfo(generation, body.data())) throw LinkFailure(what);
    return body;
}
