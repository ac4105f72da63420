/* The wire tap: a system-call table that forwards every call of the board
 * link to the system and hands what passes over the board's descriptor to
 * the frame trace. The link calls through plain function pointers, so the
 * state is the file's own, under one lock; the wait in progress is kept in
 * atomics for the progress thread. */
#include "tools/panelbin/wire_tap.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <string.h>

#include <atomic>
#include <mutex>

#include "base/SysCalls.h"
#include "tools/panelbin/frame_trace.h"

namespace {

const char* const kAwaitedText[] = {"", " (connecting)", " (after the header)",
                                    " (after the request)", " (the rest of the answer)"};

struct Tap {
    std::mutex mutex;
    FrameTrace trace;
    int fd = -1; /* the board's descriptor */
    std::atomic<uint64_t> waitSince{0};
};

Tap gTap;

typedef std::lock_guard<std::mutex> Lock;

uint64_t Now() { return RealSysCalls().NowMs(); }

/* Each wrapper keeps errno as the real call left it. */
class ErrnoKeeper {
public:
    ErrnoKeeper() : m_errno(errno) {}
    ~ErrnoKeeper() { errno = m_errno; }
    int value() const { return m_errno; }

private:
    int m_errno;
};

void Opened(int fd, bool serial, const std::string& what) {
    ErrnoKeeper kept;
    Lock lock(gTap.mutex);
    gTap.trace.Note(what + (fd == -1 ? std::string(" failed: ") + strerror(kept.value()) : ""));
    if (fd == -1) return;
    gTap.fd = fd;
    gTap.trace.Begin(serial);
}

void Sent(int fd, const void* bytes, ssize_t n) {
    ErrnoKeeper kept;
    Lock lock(gTap.mutex);
    if (fd == gTap.fd && n > 0)
        gTap.trace.Sent(static_cast<const KS_U8*>(bytes), static_cast<size_t>(n));
}

void Received(int fd, const void* bytes, size_t asked, ssize_t n) {
    ErrnoKeeper kept;
    Lock lock(gTap.mutex);
    if (fd == gTap.fd && n >= 0)
        gTap.trace.Received(asked, static_cast<const KS_U8*>(bytes), static_cast<size_t>(n));
}

void Noted(const std::string& text) {
    ErrnoKeeper kept;
    Lock lock(gTap.mutex);
    gTap.trace.Note(text);
}

int TapOpen(const char* path, int flags) {
    int fd = RealSysCalls().Open(path, flags);
    Opened(fd, true, std::string("open ") + path);
    return fd;
}

int TapSocket(int domain, int type, int protocol) {
    int fd = RealSysCalls().Socket(domain, type, protocol);
    Opened(fd, false, "socket");
    return fd;
}

int TapClose(int fd) {
    {
        Lock lock(gTap.mutex);
        if (fd == gTap.fd) {
            gTap.trace.End();
            gTap.trace.Note("close");
            gTap.fd = -1;
        }
    }
    return RealSysCalls().Close(fd);
}

ssize_t TapRead(int fd, void* buf, size_t n) {
    ssize_t got = RealSysCalls().Read(fd, buf, n);
    Received(fd, buf, n, got);
    return got;
}

ssize_t TapWrite(int fd, const void* buf, size_t n) {
    ssize_t put = RealSysCalls().Write(fd, buf, n);
    Sent(fd, buf, put);
    return put;
}

ssize_t TapSend(int fd, const void* buf, size_t n, int flags) {
    ssize_t put = RealSysCalls().Send(fd, buf, n, flags);
    Sent(fd, buf, put);
    return put;
}

ssize_t TapRecv(int fd, void* buf, size_t n, int flags) {
    ssize_t got = RealSysCalls().Recv(fd, buf, n, flags);
    Received(fd, buf, n, got);
    return got;
}

/* A wait that ends with nothing is worth a line: it is where a silent
 * board shows. */
int TapPoll(struct pollfd* fds, nfds_t count, int timeoutMs) {
    uint64_t since = Now();
    gTap.waitSince = since;
    int ready = RealSysCalls().Poll(fds, count, timeoutMs);
    gTap.waitSince = 0;
    if (ready == 0 && timeoutMs > 0) Noted("waited " + std::to_string(Now() - since) + " ms: nothing came");
    return ready;
}

int TapConnect(int fd, const struct sockaddr* address, socklen_t length) {
    int result = RealSysCalls().Connect(fd, address, length);
    int error = errno;
    if (address->sa_family == AF_INET) {
        const struct sockaddr_in* peer = reinterpret_cast<const struct sockaddr_in*>(address);
        char ip[INET_ADDRSTRLEN] = "?";
        if (inet_ntop(AF_INET, &peer->sin_addr, ip, sizeof ip) == nullptr) ip[0] = '?';
        Noted(std::string("connect ") + ip + ":" + std::to_string(ntohs(peer->sin_port)) +
              (result == 0 ? "" : error == EINPROGRESS ? " (in progress)" : std::string(": ") + strerror(error)));
    }
    errno = error;
    return result;
}

int TapGetSockOpt(int fd, int level, int name, void* value, socklen_t* length) {
    int result = RealSysCalls().GetSockOpt(fd, level, name, value, length);
    if (result == 0 && level == SOL_SOCKET && name == SO_ERROR) {
        int pending = *static_cast<int*>(value);
        Noted(pending == 0 ? "connected" : std::string("connection failed: ") + strerror(pending));
    }
    return result;
}

int TapFlock(int fd, int operation) {
    int result = RealSysCalls().Flock(fd, operation);
    int error = errno;
    Noted(result == 0 ? "locked" : std::string("lock refused: ") + strerror(error));
    errno = error;
    return result;
}

SysCalls TapTable() {
    SysCalls table = RealSysCalls();
    table.Open = TapOpen;
    table.Close = TapClose;
    table.Read = TapRead;
    table.Write = TapWrite;
    table.Poll = TapPoll;
    table.Flock = TapFlock;
    table.Socket = TapSocket;
    table.Connect = TapConnect;
    table.GetSockOpt = TapGetSockOpt;
    table.Send = TapSend;
    table.Recv = TapRecv;
    return table;
}

const SysCalls kTapTable = TapTable();

}  // namespace

WireTap::WireTap(const std::string& tracePath) {
    if (!tracePath.empty()) gTap.trace.Open(tracePath);
    m_override.reset(new SysCallsOverride(kTapTable));
}

WireTap::~WireTap() {
    m_override.reset();
    Lock lock(gTap.mutex);
    gTap.trace.Close();
}

long WireTap::WaitingMs() {
    uint64_t since = gTap.waitSince;
    return since == 0 ? -1 : static_cast<long>(Now() - since);
}

/* Without the lock: the progress thread must never wait behind the link,
 * and the word it reads is atomic. */
const char* WireTap::Awaiting() { return kAwaitedText[gTap.trace.awaited()]; }
