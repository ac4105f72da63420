/* The TCP transport: one connection per request, the frame in one piece,
 * the 0xD0 / reply / 0xE0 exchange, every wait bounded by a deadline. */
#include "comm/Ethernet.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>

#include <new>

#include "base/Deadline.h"
#include "base/SysCalls.h"
#include "base/entry_guard.h"
#include "comm/BoardAddress.h"
#include "comm/BoardCall.h"
#include "comm/CommonAlgorithm.h"
#include "comm/FailureText.h"
#include "comm/scoperelease.h"

std::string Ethernet::m_ip;
int16_t Ethernet::m_port = -1;
int Ethernet::m_sockClient = -1;
std::string Ethernet::m_strPrint;

namespace {

const uint64_t kConnectLimitMs = 3000;
/* Bounds every wait of a request: a board that stops talking must fail the
 * request, not hold the caller (and the link) for ever. */
const uint64_t kTransferLimitMs = 5000;
const int kAttempts = 3;
const KS_U8 kFirstRespond = 0xD0;
const KS_U8 kFinalRespond = 0xE0;

enum Direction { kSend, kReceive };

/* Moves exactly n bytes, waiting in poll() whenever the socket is not ready,
 * the whole within kTransferLimitMs of real time and what is left of the
 * board call (errno ETIMEDOUT after it).
 * MSG_NOSIGNAL: a board that hangs up fails the request instead of killing
 * the host with SIGPIPE. */
bool Transfer(int fd, KS_U8* buffer, size_t n, Direction direction) {
    Deadline deadline = BoardCall::ForWait(kTransferLimitMs);
    size_t done = 0;
    while (done < n) {
        short revents = 0;
        if (deadline.Poll(fd, direction == kSend ? POLLOUT : POLLIN, &revents) <= 0) return false;
        ssize_t moved = direction == kSend
                            ? Sys().Send(fd, buffer + done, n - done, MSG_NOSIGNAL | MSG_DONTWAIT)
                            : Sys().Recv(fd, buffer + done, n - done, MSG_DONTWAIT);
        if (moved > 0) {
            done += static_cast<size_t>(moved);
        } else if (moved == 0) {
            errno = ECONNRESET;  // the board closed the connection mid-request
            return false;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
    }
    return true;
}

/* Why a connect in progress did not complete, or "" once it has. */
std::string AwaitConnect(int fd) {
    short revents = 0;
    int ready = BoardCall::ForWait(kConnectLimitMs).Poll(fd, POLLOUT, &revents);
    if (ready < 0) return "Failed to select";
    if (ready == 0) return "select over time";
    // A failed connect shows as an error or hang-up, which still counts as done.
    if ((revents & (POLLOUT | POLLERR | POLLHUP)) == 0) return "Failed to FD_ISSET";
    int error = 0;
    socklen_t length = sizeof error;
    if (Sys().GetSockOpt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return "Failed to getsockopt";
    if (error == 0) return "";
    char text[128];
    snprintf(text, sizeof text, "getsockopt error. error: %d, %s", error, strerror(error));
    return text;
}

}  // namespace

/* An entry of the class that reaches the board: no exception leaves it,
 * and it runs as one board call, whose failure says so when the call's
 * limit ran out. */
template <typename Body>
bool Ethernet::AsOneCall(Body body) {
    return GuardedEntry(false, [&body] {
        BoardCall call;
        if (body()) return true;
        NoteIfCallRanOut(m_strPrint);
        return false;
    });
}

Ethernet::Ethernet() {}

Ethernet::~Ethernet() {}

/* An address no request could connect to is refused here, by the rule the
 * connect applies, so that a start never reports success for it. */
bool Ethernet::StartConnection(const char* ip, int16_t port) {
    if (!IsUsableBoardAddress(ip) || port < 0) return false;
    return GuardedEntry(false, [ip, port] {
        m_ip = ip;
        m_port = port;
        return true;
    });
}

bool Ethernet::EndConnection() { return true; }

const char* Ethernet::GetErrorPrint() { return m_strPrint.c_str(); }

bool Ethernet::CloseSocket() {
    if (m_sockClient != -1) {
        Sys().Close(m_sockClient);  // nothing to recover if close fails: the descriptor is gone
        m_sockClient = -1;
    }
    return true;
}

/* The socket stays non-blocking for its whole life: every later send and
 * receive waits in poll() with a limit instead of blocking. */
bool Ethernet::CreateSocket(const char* ip, int16_t port) {
    return AsOneCall([ip, port] { return Connect(ip, port); });
}

bool Ethernet::Connect(const char* ip, int16_t port) {
    m_sockClient = Sys().Socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_sockClient == -1) {
        CommonAlgorithm::PrintWithWSALastError(m_strPrint, "Failed to make socket.");
        return false;
    }
    ScopeRelease closer([] { CloseSocket(); });

    if (!IsUsableBoardAddress(ip)) {
        CommonAlgorithm::PrintWithWSALastError(m_strPrint, "Failed to read ip.");
        return false;
    }
    struct sockaddr_in peer;
    memset(&peer, 0, sizeof peer);
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(port));
    peer.sin_addr.s_addr = inet_addr(ip);

    std::string reason;
    if (Sys().Connect(m_sockClient, reinterpret_cast<struct sockaddr*>(&peer), sizeof peer) != 0)
        reason = errno == EINPROGRESS ? AwaitConnect(m_sockClient) : "connect errno not EINPROGRESS";
    if (!reason.empty()) {
        CommonAlgorithm::PrintWithLastError(m_strPrint, reason + "Failed to connect the ip and port.");
        return false;
    }
    closer.Dismiss();
    return true;
}

bool Ethernet::ReadMSG(KS_READ_MSG* msg) {
    if (msg == nullptr || msg->pData == nullptr || msg->pRecvData == nullptr) return false;
    return AsOneCall([msg] { return Request(*msg, msg, "Failed to read. "); });
}

bool Ethernet::WriteMSG(KS_WRITE_MSG* msg) {
    if (msg == nullptr || msg->pData == nullptr) return false;
    return AsOneCall([msg] { return Request(*msg, nullptr, "Failed to write. "); });
}

bool Ethernet::Fail(const std::string& text) {
    CommonAlgorithm::PrintWithWSALastError(m_strPrint, text);
    return false;
}

/* One connection per request; a first respond other than 0xD0 sends the
 * whole frame again on it, at most kAttempts frames in all. */
template <typename MSG>
bool Ethernet::Request(const MSG& msg, KS_READ_MSG* reply, const std::string& what) {
    if (!Connect(m_ip.c_str(), m_port)) return false;
    ScopeRelease closer([] { CloseSocket(); });
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        Attempt outcome = SendFrame(msg, reply, what);
        if (outcome != kRetry) return outcome == kDone;
    }
    return false;
}

template <typename MSG>
Ethernet::Attempt Ethernet::SendFrame(const MSG& msg, KS_READ_MSG* reply, const std::string& what) {
    size_t frameLength = KS_MSG_FrameLen(msg);
    KS_U8* frame = new (std::nothrow) KS_U8[frameLength];
    if (frame == nullptr) {
        CommonAlgorithm::PrintWithLastError(m_strPrint, what + "Failed to malloc memory.");
        return kFailed;
    }
    ScopeRelease release([&frame] {
        delete[] frame;
        frame = nullptr;
    });
    KS_MSG_PutFrame(msg, frame);

    if (!Transfer(m_sockClient, frame, frameLength, kSend)) {
        Fail(what + "Failed to send data.");
        return kFailed;
    }
    Respond first = ReceiveRespond(kFirstRespond, what);
    if (first != kRespondMatched) return first == kRespondWrong ? kRetry : kFailed;
    if (reply != nullptr && !ReceiveReply(reply, what)) return kFailed;
    return ReceiveRespond(kFinalRespond, what) == kRespondMatched ? kDone : kFailed;
}

Ethernet::Respond Ethernet::ReceiveRespond(KS_U8 expected, const std::string& what) {
    KS_U8 respond = 0;
    if (!Transfer(m_sockClient, &respond, 1, kReceive)) {
        Fail(what + "Failed to receive respond.");
        return kRespondMissing;
    }
    if (respond == expected) return kRespondMatched;
    Fail(what + "Failed to check respond.");
    return kRespondWrong;
}

bool Ethernet::ReceiveReply(KS_READ_MSG* reply, const std::string& what) {
    if (!Transfer(m_sockClient, reply->pRecvData, reply->u16RecvLen, kReceive))
        return Fail(what + "Failed to receive data.");
    KS_U8 sum[KS_MSG_SUM_LEN];
    if (!Transfer(m_sockClient, sum, sizeof sum, kReceive))
        return Fail(what + "Failed to receive checksum.");
    reply->u32RecvCheckSum = KS_DecodeU32(sum);
    if (reply->u32RecvCheckSum != CommonAlgorithm::GetCheckSum(reply->pRecvData, reply->u16RecvLen))
        return Fail(what + "Failed to check checksum.");
    return true;
}
