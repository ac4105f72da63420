/* Frame headers, checksums and the sending of answers for both links. */
#include "tools/board-sim/wire.h"

#include <errno.h>
#include <time.h>
#include <unistd.h>

namespace {

const long kTricklePauseMs = 20;
const long kTrickleBlockMs = 2000;

void PauseMs(long ms) {
    struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

}  // namespace

uint32_t ByteSum(const uint8_t* bytes, size_t n) {
    uint32_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum += bytes[i];
    return sum;
}

uint32_t GetLE32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint16_t GetLE16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

bool ParseHeader(const uint8_t* bytes, Header* header) {
    header->magic = GetLE32(bytes);
    header->cmd = GetLE16(bytes + 4);
    header->dataLen = GetLE16(bytes + 6);
    return header->magic != 0 && ByteSum(bytes, 8) == GetLE32(bytes + 8);
}

bool DataSumMatches(const uint8_t* data, size_t dataLen) {
    return ByteSum(data, dataLen) == GetLE32(data + dataLen);
}

Descriptor::~Descriptor() {
    if (m_fd != -1) close(m_fd);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        if (m_fd != -1) close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool Sender::WriteAll(const uint8_t* bytes, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t written = write(m_fd, bytes + done, n - done);
        if (written > 0)
            done += static_cast<size_t>(written);
        else if (written == 0 || errno != EINTR)
            return false;
    }
    return true;
}

bool Sender::Send(const uint8_t* bytes, size_t n) {
    if (!m_trickle) return WriteAll(bytes, n);
    long pause = n == 0 ? 0 : kTrickleBlockMs / static_cast<long>(n);
    if (pause > kTricklePauseMs) pause = kTricklePauseMs;
    for (size_t i = 0; i < n; ++i) {
        PauseMs(pause > 0 ? pause : 1);
        if (!WriteAll(bytes + i, 1)) return false;
    }
    return true;
}

bool Sender::SendReply(const std::vector<uint8_t>& reply, bool badChecksum) {
    uint32_t sum = ByteSum(reply.data(), reply.size()) + (badChecksum ? 1 : 0);
    const uint8_t sumBytes[kSumLen] = {static_cast<uint8_t>(sum), static_cast<uint8_t>(sum >> 8),
                                       static_cast<uint8_t>(sum >> 16),
                                       static_cast<uint8_t>(sum >> 24)};
    return Send(reply.data(), reply.size()) && Send(sumBytes, sizeof sumBytes);
}
