/* The serial transport: the port opened and set raw once, each request sent
 * in two halves with their answers, every wait bounded by a deadline. */
#include "comm/UART.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <termios.h>

#include <new>

#include "base/Deadline.h"
#include "base/SysCalls.h"
#include "base/entry_guard.h"
#include "comm/BoardCall.h"
#include "comm/CommonAlgorithm.h"
#include "comm/FailureText.h"
#include "comm/SerialPortOpen.h"
#include "comm/scoperelease.h"

const char UART::SHELL_CMD[] = "kest_pq_tool.sh";
int UART::m_hComm = -1;
std::string UART::m_strPrint;

namespace {

const KS_U8 kFirstRespond = 0xA0;
const KS_U8 kSecondRespond = 0xB0;

/* Whatever the caller asks, the board's console runs raw at 115200 8N1.
 * Raw means raw: with XON/XOFF left on, the bytes 0x11 and 0x13 of a reply
 * would be taken as flow control and vanish; with CR/NL mapping or
 * stripping, other bytes would change. */
const tcflag_t kClearedInput =
    INPCK | ICRNL | IGNCR | INLCR | IXON | IXOFF | IXANY | ISTRIP | IGNBRK | BRKINT | PARMRK;
const tcflag_t kClearedLocal = ICANON | ECHO | ECHOE | ECHONL | ISIG | IEXTEN;
const tcflag_t kClearedOutput = OPOST | ONLCR | OCRNL;
const tcflag_t kClearedControl = CSIZE | PARENB | CSTOPB | CRTSCTS;
const tcflag_t kSetControl = CLOCAL | CREAD | CS8;

}  // namespace

UART::UART() : m_bConnected(false) {}

UART::~UART() {}

const char* UART::GetErrorPrint() { return m_strPrint.c_str(); }

bool UART::IsOpen() { return m_hComm != -1; }

/* An entry of the class that reaches the board: no exception leaves it, it
 * runs as one board call, and its failure text starts afresh, so that
 * failures never pile up in it; a success leaves the last failure's words
 * as they were. The text is capped and, when the call's limit ran out,
 * says so. */
template <typename Body>
bool UART::AsOneCall(Body body) {
    return GuardedEntry(false, [&body] {
        BoardCall call;
        std::string earlier;
        earlier.swap(m_strPrint);
        bool done = body();
        if (done && m_strPrint.empty()) {
            m_strPrint.swap(earlier);
            return true;
        }
        if (!done) NoteIfCallRanOut(m_strPrint);
        CapFailureText(m_strPrint);
        return done;
    });
}

bool UART::FailWith(const std::string& message) {
    CommonAlgorithm::PrintWithLastError(m_strPrint, message);
    return false;
}

bool UART::FailAppending(const std::string& message) {
    CommonAlgorithm::PrintWithLastError(m_strPrint, m_strPrint + message);
    return false;
}

/* The serial parameters are taken and not applied: the board's console has
 * one setting only. */
bool UART::StartConnection(const char* portName, KS_S32 /*timeout*/, KS_U32 /*baudRate*/,
                           KS_U8 /*dataBits*/, KS_U8 /*stopBits*/, KS_U8 /*parity*/,
                           KS_U32 /*flowControl*/) {
    return AsOneCall([this, portName] {
        // A new start ends the link before it, releasing its port and lock.
        ClosePort();
        m_bConnected = false;
        if (!OpenPort(portName)) return false;
        // A half-started link must not keep the port from others.
        ScopeRelease giveUp([] { ClosePort(); });
        // The text of a start in which nothing later goes wrong.
        CommonAlgorithm::PrintWithLastError(m_strPrint, portName);
        SetRawLine();
        // The port stays non-blocking for its whole life: every send and
        // receive waits in poll() against its limit, so a line that stops
        // taking bytes (flow control stuck, a hung console) fails the request
        // instead of holding the caller, and the link, for ever.
        if (Sys().SetStatusFlags(m_hComm, O_NONBLOCK) != 0) FailWith("Failed to set fcntl.");
        if (!Send(reinterpret_cast<const KS_U8*>(SHELL_CMD), sizeof SHELL_CMD - 1))
            return FailWith("Failed to send SHELL_CMD.");
        giveUp.Dismiss();
        m_bConnected = true;
        return true;
    });
}

/* Only a free terminal is taken (comm/SerialPortOpen.h). */
bool UART::OpenPort(const char* portName) {
    m_hComm = OpenSerialPortLocked(portName);
    if (m_hComm != -1) return true;
    return FailWith(std::string("Can not connect to the Serial Port! It may be in use or not exist.") +
                    portName);
}

void UART::SetRawLine() {
    struct termios line;
    if (Sys().TcGetAttr(m_hComm, &line) != 0) {
        FailWith("Failed to set comm param.");
        return;
    }
    line.c_iflag &= ~kClearedInput;
    line.c_lflag &= ~kClearedLocal;
    line.c_oflag &= ~kClearedOutput;
    line.c_cflag &= ~kClearedControl;
    line.c_cflag |= kSetControl;
    line.c_cc[VTIME] = 0;  // a read returns at once with what is there
    line.c_cc[VMIN] = 0;
    if (cfsetispeed(&line, B115200) != 0 || cfsetospeed(&line, B115200) != 0 ||
        Sys().TcSetAttr(m_hComm, TCSANOW, &line) != 0)
        FailWith("Failed to set comm param.");
}

/* Results are not looked at: the port is being given up either way. */
void UART::ClosePort() {
    if (m_hComm == -1) return;
    (void)Sys().TcFlush(m_hComm, TCIOFLUSH);
    (void)Sys().Close(m_hComm);
    m_hComm = -1;
}

bool UART::EndConnection() {
    ClosePort();
    m_bConnected = false;
    return true;
}

/* The frame and the answer share one short limit: the link is being given
 * up, and a line that stopped must not hold the caller for long. */
bool UART::SwitchBeforeEndConn(const KS_U8* data, KS_U32 len) {
    if (data == nullptr) return false;
    return AsOneCall([data, len] {
        Deadline end = BoardCall::ForWait(kEndOfLinkLimitMs);
        if (!Send(data, len, end.RemainingMs())) return FailWith("Failed to send switch header.");
        KS_U8 answer = 0;  // any value will do
        if (!Receive(&answer, 1, end.RemainingMs()))
            return FailAppending("Failed to receive 0xA0 respond.");
        return true;
    });
}

bool UART::WriteMSG(KS_WRITE_MSG* msg) {
    if (msg == nullptr || msg->pData == nullptr || !m_bConnected) return false;
    return AsOneCall([msg] { return SendRequest(*msg, "Failed to write. "); });
}

bool UART::ReadMSG(KS_READ_MSG* msg) {
    if (msg == nullptr || msg->pData == nullptr || msg->pRecvData == nullptr || !m_bConnected)
        return false;
    return AsOneCall([msg] {
        const std::string what = "Failed to read. ";
        if (!SendRequest(*msg, what)) return false;
        if (!Receive(msg->pRecvData, msg->u16RecvLen))
            return FailAppending(what + "Failed to receive data.");
        KS_U8 sum[KS_MSG_SUM_LEN];
        if (!Receive(sum, sizeof sum))
            return FailAppending(what + "Failed to receive checksum.");
        msg->u32RecvCheckSum = KS_DecodeU32(sum);
        if (msg->u32RecvCheckSum != CommonAlgorithm::GetCheckSum(msg->pRecvData, msg->u16RecvLen))
            return FailWith(what + "Failed to check checksum.");
        return true;
    });
}

/* The two halves of a request; a read's reply follows them. A request goes
 * once: there is no second attempt on this link. */
template <typename MSG>
bool UART::SendRequest(const MSG& msg, const std::string& what) {
    KS_U8 header[KS_MSG_HEAD_LEN];
    KS_MSG_PutHeader(msg, header);
    if (!Send(header, sizeof header)) return FailWith(what + "Failed to send header.");
    if (!AwaitRespond(kFirstRespond, what, "0xA0")) return false;

    KS_U32 partLength = static_cast<KS_U32>(msg.u16DataLen) + KS_MSG_SUM_LEN;
    KS_U8* part = new (std::nothrow) KS_U8[partLength];
    if (part == nullptr) return FailWith(what + "Failed to malloc memory.");
    ScopeRelease release([&part] {
        delete[] part;
        part = nullptr;
    });
    KS_MSG_PutDataPart(msg, part);
    if (!Send(part, partLength)) return FailWith(what + "Failed to send data and checksum.");
    return AwaitRespond(kSecondRespond, what, "0xB0");
}

bool UART::AwaitRespond(KS_U8 expected, const std::string& what, const char* name) {
    KS_U8 respond = 0;
    if (!Receive(&respond, 1))
        return FailAppending(what + "Failed to receive " + name + " respond.");
    if (respond != expected) return FailWith(what + "Failed to check " + name + " respond.");
    return true;
}

bool UART::FailOverTime(const char* format, KS_U32 count) {
    char text[64];
    snprintf(text, sizeof text, format, static_cast<unsigned long>(count));
    errno = ETIMEDOUT;
    return FailAppending(text);
}

/* The primitives as the class offers them; the exchanges above call the
 * unguarded ones inside their own guard. */
bool UART::SendInfo(const KS_U8* data, KS_U32 len) {
    return AsOneCall([data, len] { return Send(data, len); });
}

bool UART::RecvTotalInfo(KS_U8* buf, KS_U32 len) {
    return AsOneCall([buf, len] { return Receive(buf, len); });
}

/* Only stale input is discarded before a send. Discarding output as well
 * would throw away bytes of our own last send still on their way, such as
 * the start text when a request follows it at once. A device that is no
 * terminal has nothing to discard.
 *
 * The bytes go out as the line takes them; whenever it takes none, the send
 * waits in poll() for room, `limitMs` of real time in all and no longer
 * than the board call has left. A send that completed is a success even if
 * the limit passed meanwhile. */
bool UART::Send(const KS_U8* data, KS_U32 len, uint64_t limitMs) {
    if (Sys().TcFlush(m_hComm, TCIFLUSH) != 0 && errno != ENOTTY)
        return FailWith("Failed to send data.");
    Deadline deadline = BoardCall::ForWait(limitMs);
    KS_U32 sent = 0;
    while (sent < len) {
        ssize_t n = Sys().Write(m_hComm, data + sent, len - sent);
        if (n > 0) {
            sent += static_cast<KS_U32>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || errno != EAGAIN) {
            if (n == 0) errno = EIO;  // a line that takes nothing and says nothing
            return FailWith("Failed to send data.");
        }
        if (!AwaitLine(POLLOUT, deadline)) {
            if (errno == ETIMEDOUT) return FailOverTime("Sent %lu Bytes. ", sent);
            return FailWith("Failed to send data.");
        }
    }
    return true;
}

/* Waits in poll(), never spinning, `limitMs` of real time in all and no
 * longer than the board call has left. A buffer completed is a success even
 * if the limit passed meanwhile. */
bool UART::Receive(KS_U8* buf, KS_U32 len, uint64_t limitMs) {
    Deadline deadline = BoardCall::ForWait(limitMs);
    KS_U32 received = 0;
    while (received < len) {
        if (!AwaitLine(POLLIN, deadline)) {
            if (errno == ETIMEDOUT) return FailOverTime("Receive %lu Bytes. ", received);
            return FailAppending("");
        }
        ssize_t n = Sys().Read(m_hComm, buf + received, len - received);
        if (n > 0) {
            received += static_cast<KS_U32>(n);
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            // Readable or hung up, yet nothing comes: the device is gone.
            if (n == 0) errno = EIO;
            return FailAppending("");
        }
    }
    return true;
}

/* False with errno ETIMEDOUT when the deadline passed, or with the reason
 * when the port cannot be waited on. A hang-up or error counts as ready:
 * the read or write that follows reports it. */
bool UART::AwaitLine(short events, const Deadline& deadline) {
    short revents = 0;
    int ready = deadline.Poll(m_hComm, events, &revents);
    if (ready <= 0) return false;
    if (revents & POLLNVAL) {
        errno = EBADF;
        return false;
    }
    return true;
}
