/* What both links share on the wire: the frame header, checksums,
 * descriptors, and the sending of answers (trickled when asked). */
#ifndef BOARD_SIM_WIRE_H
#define BOARD_SIM_WIRE_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

const size_t kHeadLen = 12;
const size_t kSumLen = 4;
/* Sent where a respond byte is wrong on purpose: none of the link's own. */
const uint8_t kWrongRespond = 0x55;

struct Header {
    uint32_t magic;
    uint16_t cmd;
    uint16_t dataLen;
};

uint32_t ByteSum(const uint8_t* bytes, size_t n);
uint32_t GetLE32(const uint8_t* bytes);
uint16_t GetLE16(const uint8_t* bytes);

/* Reads the 12 header bytes; false when the magic is 0 or the header
 * checksum does not match. */
bool ParseHeader(const uint8_t* bytes, Header* header);
/* True when the data's checksum, which follows it, matches. */
bool DataSumMatches(const uint8_t* data, size_t dataLen);

/* Sole owner of a file descriptor. */
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor();
    Descriptor(Descriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

/* Writes answers whole. Trickled, every byte goes alone after a pause of
 * 20 ms, shortened so that one block never takes more than 2 s: the
 * library gives each block 5 s. */
class Sender {
public:
    Sender(int fd, bool trickle) : m_fd(fd), m_trickle(trickle) {}
    bool Send(const uint8_t* bytes, size_t n);
    bool Send(uint8_t byte) { return Send(&byte, 1); }
    /* The reply data, then its checksum, off by one when `badChecksum`. */
    bool SendReply(const std::vector<uint8_t>& reply, bool badChecksum);

private:
    bool WriteAll(const uint8_t* bytes, size_t n);
    int m_fd;
    bool m_trickle;
};

#endif
