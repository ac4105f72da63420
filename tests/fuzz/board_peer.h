/* What the two board-reply harnesses share: the request a run makes, the
 * bytes the library must put on the line for it, and blocking I/O with a
 * limit for the harness's side of the link (the board).
 *
 * Input: flags (bit 0: read, bit 1: a magic follows, bit 2: a command
 * follows), the request's data length, the reply length a read expects
 * (two bytes, little-endian, below 1024), the magic (4 bytes) and command
 * (2 bytes) if flagged, then the board's bytes, which each harness lays out
 * its own way. */
#ifndef TESTS_FUZZ_BOARD_PEER_H
#define TESTS_FUZZ_BOARD_PEER_H

#include <errno.h>
#include <poll.h>
#include <stdint.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "include/Communication_c.h"
#include "tests/fuzz/fuzz_check.h"

namespace boardpeer {

typedef std::vector<uint8_t> Bytes;

const uint32_t kDefaultMagic = 0x5654534Bu; /* "KSTV" on the wire */
const int kWaitMs = 3000; /* longer than any step of the library takes here */

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    uint32_t LittleEndian(int n) {
        uint32_t value = 0;
        for (int i = 0; i < n; ++i) value |= static_cast<uint32_t>(Byte()) << (8 * i);
        return value;
    }
    Bytes Take(size_t n) {
        size_t available = m_at < m_size ? m_size - m_at : 0;
        if (n > available) n = available;
        Bytes out(m_data + m_at, m_data + m_at + n);
        m_at += n;
        return out;
    }
    Bytes Rest() { return Take(m_size); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

inline uint32_t Sum(const uint8_t* bytes, size_t n) {
    uint32_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum += bytes[i];
    return sum;
}

inline void PutU32(Bytes* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline uint32_t GetU32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
           static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

/* The 12-byte message header as the board must receive it. */
inline Bytes Header(uint32_t magic, uint16_t cmd, uint16_t length) {
    Bytes out;
    PutU32(&out, magic);
    out.push_back(static_cast<uint8_t>(cmd));
    out.push_back(static_cast<uint8_t>(cmd >> 8));
    out.push_back(static_cast<uint8_t>(length));
    out.push_back(static_cast<uint8_t>(length >> 8));
    PutU32(&out, Sum(out.data(), 8));
    return out;
}

struct Request {
    bool read = false;
    int magic = 0; /* 0: the preset one */
    int cmd = 0;   /* 0: the preset one */
    Bytes data;
    int recvLength = 0;

    explicit Request(Input& in) {
        uint8_t flags = in.Byte();
        read = (flags & 1) != 0;
        data.resize(in.Byte());
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 31 + 7);
        recvLength = static_cast<int>(in.LittleEndian(2) % 1024);
        if ((flags & 2) != 0) magic = static_cast<int>(in.LittleEndian(4));
        if ((flags & 4) != 0) cmd = static_cast<int>(in.LittleEndian(2));
    }

    /* Header as the facade fills it: a zero magic or command takes the
     * preset one, which each run sets to "KSTV" and 0. */
    Bytes WireHeader() const {
        uint32_t wireMagic = magic != 0 ? static_cast<uint32_t>(magic) : kDefaultMagic;
        return Header(wireMagic, static_cast<uint16_t>(cmd), static_cast<uint16_t>(data.size()));
    }
    /* The data and its checksum, as they follow the header. */
    Bytes DataPart() const {
        Bytes out(data);
        PutU32(&out, Sum(data.data(), data.size()));
        return out;
    }

    /* Issues the request through the flat functions; the reply lands in
     * *reply (recvLength bytes). */
    int Issue(Bytes* reply) const {
        reply->assign(static_cast<size_t>(recvLength) + 1, 0xEE);
        PresetHeader(static_cast<int>(kDefaultMagic), 0);
        /* No data is still a buffer: a null one is refused before sending. */
        static const uint8_t kNone = 0;
        const uint8_t* bytes = data.empty() ? &kNone : data.data();
        int length = static_cast<int>(data.size());
        return read ? ReadMSG(bytes, length, reply->data(), recvLength, magic, cmd)
                    : WriteMSG(bytes, length, magic, cmd);
    }
};

/* The reply a read must have stored, when the model says it succeeded. */
inline void CheckReply(const Bytes& reply, const uint8_t* expected, size_t n) {
    FUZZ_CHECK(reply.size() == n + 1 && memcmp(reply.data(), expected, n) == 0);
    FUZZ_CHECK(reply[n] == 0xEE); /* nothing written past the buffer the caller gave */
}

/* Waits for fd to become readable; false after kWaitMs. */
inline bool WaitReadable(int fd) {
    struct pollfd entry = {fd, POLLIN, 0};
    for (;;) {
        int ready = poll(&entry, 1, kWaitMs);
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0;
    }
}

/* Reads exactly n bytes; what arrived if the peer closed or went silent. */
inline Bytes ReadExactly(int fd, size_t n) {
    Bytes out(n);
    size_t got = 0;
    while (got < n && WaitReadable(fd)) {
        ssize_t r = read(fd, out.data() + got, n - got);
        if (r < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (r <= 0) break;
        got += static_cast<size_t>(r);
    }
    out.resize(got);
    return out;
}

inline void WriteAll(int fd, const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        FUZZ_CHECK(n > 0);
        done += static_cast<size_t>(n);
    }
}

}  // namespace boardpeer

#endif
