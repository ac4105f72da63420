/* The board's TCP side on 127.0.0.1, one request per connection. */
#include "tools/board-sim/tcp_server.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

#include "tools/board-sim/options.h"

namespace {

const uint8_t kFirstRespond = 0xD0;
const uint8_t kFinalRespond = 0xE0;
const uint8_t kGarbageBytes[] = {'G', 'A', 'R', 'B'};  // one wrong byte for each of the library's 3 tries
const int kFirstFreePort = 20000;
const int kLastFreePort = kLastLinkPort;
const int kPortTries = 200;

}  // namespace

bool TcpServer::Bind(int fd, int port) {
    struct sockaddr_in address;
    memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<struct sockaddr*>(&address), sizeof address) != 0) return false;
    m_port = port;
    return true;
}

bool TcpServer::Listen(int port) {
    m_listener = Descriptor(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    int fd = m_listener.get();
    int on = 1;
    if (fd == -1 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) return false;
    bool bound = false;
    if (port != 0) {
        bound = Bind(fd, port);
    } else {
        std::mt19937 random(std::random_device{}());
        std::uniform_int_distribution<int> ports(kFirstFreePort, kLastFreePort);
        for (int i = 0; i < kPortTries && !bound; ++i) bound = Bind(fd, ports(random));
    }
    return bound && listen(fd, 16) == 0;
}

void TcpServer::AddPollFds(std::vector<struct pollfd>* fds) const {
    fds->push_back({m_listener.get(), POLLIN, 0});
    for (const Connection& connection : m_connections)
        fds->push_back({connection.fd.get(), POLLIN, 0});
}

bool TcpServer::OnEvent(int fd) {
    if (fd == m_listener.get()) {
        Accept();
        return true;
    }
    for (size_t i = 0; i < m_connections.size(); ++i) {
        if (m_connections[i].fd.get() != fd) continue;
        if (!Receive(&m_connections[i]) || !ServeFrames(&m_connections[i]))
            m_connections.erase(m_connections.begin() + static_cast<std::ptrdiff_t>(i));
        return true;
    }
    return false;
}

void TcpServer::Accept() {
    int fd = accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd == -1) return;  // the client gave up already; nothing to serve
    m_connections.push_back(Connection{Descriptor(fd), {}});
}

/* False when the client closed or the connection failed. */
bool TcpServer::Receive(Connection* connection) {
    uint8_t buffer[4096];
    ssize_t n = recv(connection->fd.get(), buffer, sizeof buffer, 0);
    if (n <= 0) return n < 0 && errno == EINTR;
    connection->input.insert(connection->input.end(), buffer, buffer + n);
    return true;
}

/* Answers every complete frame received; false when the connection is to
 * be closed. A frame that fails a check is not answered and ends the
 * connection, since nothing after it can be trusted to start a frame. */
bool TcpServer::ServeFrames(Connection* connection) {
    std::vector<uint8_t>& input = connection->input;
    while (input.size() >= kHeadLen) {
        Header header;
        if (!ParseHeader(input.data(), &header)) {
            m_recorder.Log("tcp", "bad header, not answered:", input.data(), input.size());
            return false;
        }
        size_t frameLen = kHeadLen + header.dataLen + kSumLen;
        if (input.size() < frameLen) return true;
        m_recorder.Frame("tcp", input.data(), frameLen);
        if (!DataSumMatches(input.data() + kHeadLen, header.dataLen)) {
            m_recorder.Log("tcp", "bad data checksum, not answered:", input.data(), frameLen);
            return false;
        }
        std::vector<uint8_t> frame(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(frameLen));
        input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(frameLen));
        if (!Answer(connection->fd.get(), header, frame.data() + kHeadLen)) return false;
    }
    return true;
}

/* False when the connection is to be closed. */
bool TcpServer::Answer(int fd, const Header& header, const uint8_t* data) {
    if (m_faults.Take(kSilent) || m_faults.Take(kHang)) {
        m_recorder.Log("tcp", "fault silent or hang: no answer", nullptr, 0);
        return true;
    }
    Sender out(fd, m_faults.Take(kTrickle));
    if (m_faults.Take(kGarbage) && !out.Send(kGarbageBytes, sizeof kGarbageBytes)) return false;
    if (m_faults.Take(kBadFirst)) return out.Send(kWrongRespond);
    struct Answer answer = m_board.Handle(header.cmd, data, header.dataLen);
    if (!out.Send(kFirstRespond)) return false;
    if (answer.read) {
        if (m_faults.Take(kCloseMidReply)) {
            out.Send(answer.reply.data(), answer.reply.size() / 2);
            return false;
        }
        if (!out.SendReply(answer.reply, m_faults.Take(kBadChecksum))) return false;
    }
    return out.Send(m_faults.Take(kBadFinal) ? kWrongRespond : kFinalRespond);
}
