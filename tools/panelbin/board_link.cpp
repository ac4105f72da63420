/* Targets and the started link: the one place where the tool starts and
 * ends the board link and turns its failures into plain words. */
#include "tools/panelbin/board_link.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <stdlib.h>
#include <sys/socket.h>

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

/* The link takes only a dotted IPv4 address: a name becomes the first IPv4
 * address it resolves to, or "" when it has none. */
std::string Ipv4Of(const std::string& host) {
    struct in_addr numeric;
    if (inet_pton(AF_INET, host.c_str(), &numeric) == 1) return host;
    struct addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    struct addrinfo* found = nullptr;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return "";
    std::unique_ptr<struct addrinfo, void (*)(struct addrinfo*)> owned(found, freeaddrinfo);
    char text[INET_ADDRSTRLEN];
    const auto* address = reinterpret_cast<const struct sockaddr_in*>(found->ai_addr);
    if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) == nullptr) return "";
    return text;
}

}  // namespace

Target TcpTarget(const std::string& hostPort) {
    size_t colon = hostPort.rfind(':');
    std::string digits = colon == std::string::npos ? "" : hostPort.substr(colon + 1);
    char* end = nullptr;
    long number = digits.empty() ? -1 : strtol(digits.c_str(), &end, 10);
    if (colon == 0 || digits.empty() || *end != '\0' || number < 0 || number > kLastPort)
        throw Failure(kExitUsage, "--tcp wants HOST:PORT with a port 0..32767, the highest the "
                                  "board link takes, not \"" + hostPort + "\"");
    std::string ip = Ipv4Of(hostPort.substr(0, colon));
    if (ip.empty())
        throw Failure(kExitUsage, "--tcp " + hostPort +
                                      ": use a dotted IPv4 address or a name that resolves to one");
    Target target;
    target.given = target.where = hostPort;
    target.address = ip + ":" + digits;
    target.origin = "--tcp";
    return target;
}

Target SerialTarget(const std::string& device) {
    Target target;
    target.serial = true;
    target.given = device;
    target.origin = "--serial";
    target.address = target.where = device.rfind(kSerialNumberPrefix, 0) == 0
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
            targets.back().origin = path + ":" + std::to_string(number);
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
        started = StartPanelLinkSerial(target.address.c_str(), kSerialTimeout, 115200, 8, 0, 0, 0);
    } else {
        size_t colon = target.address.rfind(':');
        std::string host = target.address.substr(0, colon);
        started = StartPanelLinkTcp(host.c_str(), atoi(target.address.c_str() + colon + 1));
    }
    if (!started) throw LinkFailure("the link did not start");
}

/* The progress line goes before the link's end, the tap after it, so that
 * the trace shows the serial end-of-link frame. */
BoardLink::~BoardLink() {
    EndConnection();
    m_progress.reset();
}

LinkFailed BoardLink::LinkFailure(const std::string& what) const {
    std::string text;
    if (!GetStrErrCopy(text) || text.empty())
        return LinkFailed(m_target.where + ": " + what +
                              " (the board link refused the request before sending it)",
                          "");
    return LinkFailed(DescribeLinkFailure(m_target.where, what, text), text);
}

void BoardLink::Send(PanelGeneration generation, const KS_U8* body, const std::string& what) const {
    if (!SendPanelInfo(generation, body)) throw LinkFailure(what);
}

std::vector<KS_U8> BoardLink::Fetch(PanelGeneration generation, const std::string& what) const {
    std::vector<KS_U8> body(BodySize(generation));
    if (!FetchPanelInfo(generation, body.data())) throw LinkFailure(what);
    return body;
}
