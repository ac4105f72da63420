/* The board's console on a pseudo-terminal, serving requests in two halves. */
#include "tools/board-sim/serial_server.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>

namespace {

const char kStartText[] = "kest_pq_tool.sh";
const size_t kStartLen = sizeof kStartText - 1;
const uint8_t kFirstRespond = 0xA0;
const uint8_t kSecondRespond = 0xB0;
const uint16_t kEndOfLinkCmd = 0x1000;
/* Sent right after the start text, where the library's flush before its
 * first send must throw it away. */
const uint8_t kGarbageBytes[] = {'G', 'A', 'R', 'B'};

bool StartsWithStartText(const std::vector<uint8_t>& input) {
    size_t n = std::min(input.size(), kStartLen);
    return memcmp(input.data(), kStartText, n) == 0;
}

}  // namespace

bool SerialServer::Open() {
    m_master = Descriptor(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    int master = m_master.get();
    char path[128];
    if (master == -1 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, path, sizeof path) != 0)
        return false;
    m_slavePath = path;
    // No line settings here: on a pseudo-terminal they are the slave's, even
    // when made through the master, and the library must make the line raw
    // itself, as it must on a real port.
    m_slave = Descriptor(open(path, O_RDWR | O_NOCTTY | O_CLOEXEC));
    return m_slave.get() != -1;
}

bool SerialServer::OnReadable() {
    uint8_t buffer[4096];
    ssize_t n = read(m_master.get(), buffer, sizeof buffer);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) return false;
    m_input.insert(m_input.end(), buffer, buffer + n);
    while (Step()) {
    }
    return !m_broken;
}

void SerialServer::Drop(size_t n) {
    m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(n));
}

/* Takes what the current state awaits from the input; false when more
 * bytes are needed. A start text is welcome whenever a header is awaited:
 * a library that starts again without ending first is served afresh. */
bool SerialServer::Step() {
    if (m_state == kAwaitData) return TakeData();
    if (m_input.empty()) return false;
    if (StartsWithStartText(m_input)) return m_input.size() >= kStartLen && TakeStart();
    if (m_state == kAwaitStart) {
        // Not the start text: drop up to where it might begin.
        auto found = std::find(m_input.begin() + 1, m_input.end(), kStartText[0]);
        size_t junk = static_cast<size_t>(found - m_input.begin());
        m_recorder.Log("serial", "dropped while awaiting start:", m_input.data(), junk);
        Drop(junk);
        return true;
    }
    return TakeHeader();
}

bool SerialServer::TakeStart() {
    m_recorder.Frame("serial", m_input.data(), kStartLen);
    Drop(kStartLen);
    m_state = kAwaitHeader;
    if (m_faults.Take(kGarbage)) Send(kGarbageBytes, sizeof kGarbageBytes, false);
    return true;
}

bool SerialServer::TakeHeader() {
    if (m_input.size() < kHeadLen) return false;
    Header header;
    if (!ParseHeader(m_input.data(), &header)) {
        // Nothing tells where a frame would start again: drop it all.
        m_recorder.Log("serial", "bad header, not answered:", m_input.data(), m_input.size());
        m_input.clear();
        return false;
    }
    if (header.cmd == kEndOfLinkCmd && header.dataLen == 0) {
        m_recorder.Frame("serial", m_input.data(), kHeadLen);
        Drop(kHeadLen);
        m_state = kAwaitStart;
        return Send(&kFirstRespond, 1, false);
    }
    if (m_faults.Take(kSilent) || m_faults.Take(kHang)) {
        m_recorder.Log("serial", "fault silent or hang: header not answered:", m_input.data(), kHeadLen);
        Drop(kHeadLen);
        return true;
    }
    m_trickle = m_faults.Take(kTrickle);
    if (m_faults.Take(kBadFirst)) {
        Drop(kHeadLen);
        return Send(&kWrongRespond, 1, m_trickle);
    }
    m_header = header;
    m_state = kAwaitData;
    return Send(&kFirstRespond, 1, m_trickle);
}

/* The header is still at the front of the input, so the frame is recorded
 * whole once its data part is in. */
bool SerialServer::TakeData() {
    size_t frameLen = kHeadLen + m_header.dataLen + kSumLen;
    bool complete = m_input.size() >= frameLen;
    const uint8_t* data = m_input.data() + kHeadLen;
    if (!(complete && DataSumMatches(data, m_header.dataLen)) && RequestAbandoned()) {
        m_recorder.Log("serial", "request abandoned, its data part never came:", m_input.data(),
                       kHeadLen);
        ReadAgainAfterHeader();
        return true;
    }
    if (!complete) return false;
    m_recorder.Frame("serial", m_input.data(), frameLen);
    if (!DataSumMatches(data, m_header.dataLen)) {
        m_recorder.Log("serial", "bad data checksum, not answered:", m_input.data(), frameLen);
        ReadAgainAfterHeader();
        return true;
    }
    std::vector<uint8_t> frame(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(frameLen));
    Drop(frameLen);
    m_state = kAwaitHeader;
    data = frame.data() + kHeadLen;
    if (m_faults.Take(kBadFinal)) return Send(&kWrongRespond, 1, m_trickle);
    struct Answer answer = m_board.Handle(m_header.cmd, data, m_header.dataLen);
    Send(&kSecondRespond, 1, m_trickle);
    if (!answer.read) return true;
    if (m_faults.Take(kCloseMidReply)) {
        m_recorder.Log("serial", "fault close-mid-reply: reply cut off", nullptr, 0);
        return Send(answer.reply.data(), answer.reply.size() / 2, m_trickle);
    }
    if (!Sender(m_master.get(), m_trickle).SendReply(answer.reply, m_faults.Take(kBadChecksum)))
        m_broken = true;
    return true;
}

/* A library that gave up on a request (it took a stray byte for our
 * answer, or its wait ran out) sends no data part but its next header, its
 * end-of-link frame or a new start text. Any of these where the data part
 * should begin means the request is over; without this, the simulator would
 * take them as data and every later request would fail. A new header is
 * recognised by the magic of the one before, which no panel data starts
 * with. */
bool SerialServer::RequestAbandoned() const {
    const uint8_t* after = m_input.data() + kHeadLen;
    size_t available = m_input.size() - kHeadLen;
    if (available >= kStartLen && memcmp(after, kStartText, kStartLen) == 0) return true;
    Header next;
    return available >= kHeadLen && ParseHeader(after, &next) && next.magic == m_header.magic;
}

/* Forgets the request whose header is at the front and reads what follows
 * it afresh, as a start text or a header. */
void SerialServer::ReadAgainAfterHeader() {
    Drop(kHeadLen);
    m_state = kAwaitHeader;
}

bool SerialServer::Send(const uint8_t* bytes, size_t n, bool trickle) {
    if (!Sender(m_master.get(), trickle).Send(bytes, n)) m_broken = true;
    return true;
}
