/* The wire tap: forwards every system call of the board link and turns what
 * passes over the board's descriptor into trace lines. Frames are decoded
 * with the library's frame code (ks_msg.h): a header's checksum is checked
 * by sealing the decoded fields again, a data checksum with the link's own
 * GetCheckSum. The link calls through plain function pointers, so the state
 * is the file's own, under one lock. */
#include "tools/panelbin/wire_tap.h"

#include <errno.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <stdio.h>
#include <string.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "comm/CommonAlgorithm.h"
#include "comm/SysCalls.h"
#include "comm/UART.h"
#include "comm/ks_msg.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/wall_clock.h"

namespace {

const KS_U16 kEndOfLinkCmd = 0x1000;
const size_t kHexPerLine = 32;

enum Awaited { kNothing, kConnection, kHeaderAnswer, kDataAnswer, kReply };
const char* const kAwaitedText[] = {"", " (connecting)", " (after the header)",
                                    " (after the request)", " (the reply)"};

struct Tap {
    std::mutex mutex;
    FILE* trace = nullptr;
    uint64_t startMs = 0;
    int fd = -1;          /* the board's descriptor */
    bool serial = false;
    std::vector<KS_U8> out; /* sent and not yet decoded */
    size_t dataAwaited = 0; /* bytes of a data part after a decoded header, + 1 */
    std::vector<KS_U8> in;  /* received towards the read the link asked for */
    size_t asked = 0;       /* that read's size, 0 when none is open */
    std::vector<KS_U8> lastReply;
    std::atomic<uint64_t> waitSince{0};
    std::atomic<int> awaited{kNothing};
};

Tap gTap;

uint64_t Now() { return RealSysCalls().NowMs(); }

/* One line, "+SECONDS text", flushed so that a run cut short keeps it. */
void Line(const std::string& text) {
    if (gTap.trace == nullptr) return;
    uint64_t at = Now() - gTap.startMs;
    fprintf(gTap.trace, "+%llu.%03llu %s\n", static_cast<unsigned long long>(at / 1000),
            static_cast<unsigned long long>(at % 1000), text.c_str());
    fflush(gTap.trace);
}

std::string Hex(const KS_U8* bytes, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && i % kHexPerLine == 0) text += "\n           ";
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

std::string Number(const char* format, unsigned long value) {
    char text[64];
    snprintf(text, sizeof text, format, value);
    return text;
}

std::string SumText(const char* what, KS_U32 sent, KS_U32 computed) {
    return std::string(what) + Number(" 0x%08lx", sent) +
           (sent == computed ? " (ok)" : Number(" (wrong: the bytes sum to 0x%08lx)", computed));
}

std::string CommandName(KS_U16 cmd) {
    switch (cmd) {
        case 0x1000: return " (end of link)";
        case 0x1001: return " (echo)";
        case 0x6000: return " (PQ)";
        case 0x8000: return " (panel)";
        case 0x8001: return " (vir)";
        default: return "";
    }
}

/* The four magic bytes as text where they are printable ("KSTV"). */
std::string MagicText(const KS_U8* bytes, KS_U32 magic) {
    std::string text = Number("0x%08lx", magic);
    for (int i = 0; i < 4; ++i)
        if (bytes[i] < 0x20 || bytes[i] > 0x7e) return text;
    return text + " \"" + std::string(reinterpret_cast<const char*>(bytes), 4) + "\"";
}

void DecodeHeader(const KS_U8* bytes) {
    KS_WRITE_MSG header;
    KS_MSG_SetHeader(&header, KS_DecodeU32(bytes), static_cast<KS_U16>(KS_DecodeLE(bytes + 4, 2)),
                     static_cast<KS_U16>(KS_DecodeLE(bytes + 6, 2)));
    Line("> header magic " + MagicText(bytes, header.u32Magic) +
         Number(" cmd 0x%04lx", header.u16Cmd) + CommandName(header.u16Cmd) +
         Number(" len %lu ", header.u16DataLen) +
         SumText("head-sum", KS_DecodeU32(bytes + 8), header.u32HeadCheckSum) + "\n           " +
         Hex(bytes, KS_MSG_HEAD_LEN));
    bool endOfLink = gTap.serial && header.u16Cmd == kEndOfLinkCmd && header.u16DataLen == 0;
    gTap.dataAwaited = endOfLink ? 0 : header.u16DataLen + 1u;
    gTap.awaited = gTap.serial ? kHeaderAnswer : kDataAnswer;
}

void DecodeDataPart(const KS_U8* bytes, size_t dataLen) {
    std::string kind;
    if (dataLen >= 4) {
        KS_U32 sub = KS_DecodeU32(bytes);
        kind = sub == 0 ? " sub-command 0 (read panel info)"
                        : sub == 1 ? " sub-command 1 (write panel info)" : Number(" sub-command %lu", sub);
    }
    KS_U32 computed = CommonAlgorithm::GetCheckSum(bytes, static_cast<KS_S32>(dataLen));
    Line("> data " + std::to_string(dataLen) + " bytes" + kind + ", " +
         SumText("data-sum", KS_DecodeU32(bytes + dataLen), computed) + "\n           " +
         Hex(bytes, dataLen));
    gTap.dataAwaited = 0;
    gTap.awaited = kDataAnswer;
}

/* Decodes whatever whole pieces the bytes sent so far hold: the serial
 * start text, a header, the data part it announced. */
void DecodeSent() {
    const std::string start = UART::SHELL_CMD;
    for (;;) {
        std::vector<KS_U8>& out = gTap.out;
        size_t used = 0;
        if (gTap.dataAwaited > 0) {
            size_t dataLen = gTap.dataAwaited - 1;
            if (out.size() < dataLen + KS_MSG_SUM_LEN) return;
            DecodeDataPart(out.data(), dataLen);
            used = dataLen + KS_MSG_SUM_LEN;
        } else if (gTap.serial && !out.empty() && out[0] == static_cast<KS_U8>(start[0])) {
            if (out.size() < start.size()) return;
            Line("> start text \"" + std::string(out.begin(), out.begin() + start.size()) + "\"");
            used = start.size();
        } else {
            if (out.size() < KS_MSG_HEAD_LEN) return;
            DecodeHeader(out.data());
            used = KS_MSG_HEAD_LEN;
        }
        out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(used));
    }
}

std::string RespondName(KS_U8 respond) {
    switch (respond) {
        case 0xA0: return " (header taken)";
        case 0xB0: return " (data taken)";
        case 0xD0: return " (frame taken)";
        case 0xE0: return " (request done)";
        default: return " (not a respond of the link)";
    }
}

/* A read the link asked for is complete (or was cut short): one line for
 * it, named by its size and what came before. */
void DecodeReceived(bool complete) {
    const std::vector<KS_U8>& in = gTap.in;
    std::string shortBy = complete ? "" : " (cut short: " + std::to_string(in.size()) + " of " +
                                              std::to_string(gTap.asked) + " bytes)";
    if (gTap.asked == 1 && complete) {
        Line(Number("< respond 0x%02lx", in[0]) + RespondName(in[0]));
        gTap.awaited = kReply;
    } else if (gTap.asked == KS_MSG_SUM_LEN && complete && !gTap.lastReply.empty()) {
        KS_U32 computed = CommonAlgorithm::GetCheckSum(gTap.lastReply.data(),
                                                       static_cast<KS_S32>(gTap.lastReply.size()));
        Line("< " + SumText("reply-sum", KS_DecodeU32(in.data()), computed));
        gTap.lastReply.clear();
    } else {
        Line("< reply " + std::to_string(in.size()) + " bytes" + shortBy + "\n           " +
             Hex(in.data(), in.size()));
        gTap.lastReply = in;
    }
    gTap.in.clear();
    gTap.asked = 0;
}

void Sent(int fd, const void* bytes, ssize_t n) {
    if (n <= 0) return;
    std::lock_guard<std::mutex> lock(gTap.mutex);
    if (fd != gTap.fd) return;
    if (gTap.asked > 0) DecodeReceived(false);
    gTap.lastReply.clear();
    const KS_U8* p = static_cast<const KS_U8*>(bytes);
    gTap.out.insert(gTap.out.end(), p, p + n);
    DecodeSent();
}

void Received(int fd, const void* bytes, size_t asked, ssize_t n) {
    std::lock_guard<std::mutex> lock(gTap.mutex);
    if (fd != gTap.fd || n < 0) return;
    if (gTap.asked == 0) gTap.asked = asked;
    const KS_U8* p = static_cast<const KS_U8*>(bytes);
    gTap.in.insert(gTap.in.end(), p, p + n);
    if (gTap.in.size() >= gTap.asked) DecodeReceived(true);
}

void Opened(int fd, bool serial, const std::string& what) {
    std::lock_guard<std::mutex> lock(gTap.mutex);
    int error = errno;
    Line(what + (fd == -1 ? std::string(" failed: ") + strerror(error) : ""));
    errno = error;
    if (fd == -1) return;
    gTap.fd = fd;
    gTap.serial = serial;
    gTap.out.clear();
    gTap.in.clear();
    gTap.asked = 0;
    gTap.dataAwaited = 0;
}

/* The wrappers. Each keeps errno as the real call left it. */
int TapOpen(const char* path, int flags) {
    int fd = RealSysCalls().Open(path, flags);
    Opened(fd, true, std::string("open ") + path);
    return fd;
}

int TapClose(int fd) {
    {
        std::lock_guard<std::mutex> lock(gTap.mutex);
        if (fd == gTap.fd) {
            if (gTap.asked > 0) DecodeReceived(false);
            Line("close");
            gTap.fd = -1;
            gTap.awaited = kNothing;
        }
    }
    return RealSysCalls().Close(fd);
}

ssize_t TapRead(int fd, void* buf, size_t n) {
    ssize_t got = RealSysCalls().Read(fd, buf, n);
    int error = errno;
    Received(fd, buf, n, got);
    errno = error;
    return got;
}

ssize_t TapWrite(int fd, const void* buf, size_t n) {
    ssize_t put = RealSysCalls().Write(fd, buf, n);
    int error = errno;
    Sent(fd, buf, put);
    errno = error;
    return put;
}

ssize_t TapSend(int fd, const void* buf, size_t n, int flags) {
    ssize_t put = RealSysCalls().Send(fd, buf, n, flags);
    int error = errno;
    Sent(fd, buf, put);
    errno = error;
    return put;
}

ssize_t TapRecv(int fd, void* buf, size_t n, int flags) {
    ssize_t got = RealSysCalls().Recv(fd, buf, n, flags);
    int error = errno;
    Received(fd, buf, n, got);
    errno = error;
    return got;
}

/* A wait that ends with nothing is worth a line: it is where a silent
 * board shows. */
int TapPoll(struct pollfd* fds, nfds_t count, int timeoutMs) {
    uint64_t since = Now();
    gTap.waitSince = since;
    int ready = RealSysCalls().Poll(fds, count, timeoutMs);
    int error = errno;
    gTap.waitSince = 0;
    if (ready == 0 && timeoutMs > 0) {
        std::lock_guard<std::mutex> lock(gTap.mutex);
        Line("waited " + std::to_string(Now() - since) + " ms: nothing came");
    }
    errno = error;
    return ready;
}

int TapSocket(int domain, int type, int protocol) {
    int fd = RealSysCalls().Socket(domain, type, protocol);
    Opened(fd, false, "socket");
    gTap.awaited = kConnection;
    return fd;
}

int TapConnect(int fd, const struct sockaddr* address, socklen_t length) {
    int result = RealSysCalls().Connect(fd, address, length);
    int error = errno;
    if (address->sa_family == AF_INET) {
        const struct sockaddr_in* peer = reinterpret_cast<const struct sockaddr_in*>(address);
        char ip[INET_ADDRSTRLEN] = "?";
        inet_ntop(AF_INET, &peer->sin_addr, ip, sizeof ip);
        std::lock_guard<std::mutex> lock(gTap.mutex);
        Line(std::string("connect ") + ip + ":" + std::to_string(ntohs(peer->sin_port)) +
             (result == 0 ? "" : error == EINPROGRESS ? " (in progress)" : std::string(": ") + strerror(error)));
    }
    errno = error;
    return result;
}

int TapGetSockOpt(int fd, int level, int name, void* value, socklen_t* length) {
    int result = RealSysCalls().GetSockOpt(fd, level, name, value, length);
    int error = errno;
    if (result == 0 && level == SOL_SOCKET && name == SO_ERROR) {
        int pending = *static_cast<int*>(value);
        std::lock_guard<std::mutex> lock(gTap.mutex);
        Line(pending == 0 ? "connected" : std::string("connection failed: ") + strerror(pending));
    }
    errno = error;
    return result;
}

int TapFlock(int fd, int operation) {
    int result = RealSysCalls().Flock(fd, operation);
    int error = errno;
    std::lock_guard<std::mutex> lock(gTap.mutex);
    Line(result == 0 ? "locked" : std::string("lock refused: ") + strerror(error));
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
    gTap.startMs = Now();
    if (!tracePath.empty()) {
        gTap.trace = fopen(tracePath.c_str(), "w");
        if (gTap.trace == nullptr)
            throw Failure(kExitFile, tracePath + ": cannot be written: " + strerror(errno));
        fprintf(gTap.trace,
                "# panelbin trace; +0.000 is %s; > host to board, < board to host\n",
                UtcNow().c_str());
    }
    m_override.reset(new SysCallsOverride(kTapTable));
}

WireTap::~WireTap() {
    m_override.reset();
    if (gTap.trace != nullptr) {
        // A destructor cannot fail the command; it can say so.
        if (fclose(gTap.trace) != 0) fprintf(stderr, "panelbin: the trace is incomplete\n");
        gTap.trace = nullptr;
    }
}

long WireTap::WaitingMs() {
    uint64_t since = gTap.waitSince;
    return since == 0 ? -1 : static_cast<long>(Now() - since);
}

const char* WireTap::Awaiting() { return kAwaitedText[gTap.awaited.load()]; }
