/* SHA-256 of a file, for the flashing log: which file went to a board. */
#ifndef PANELBIN_SHA256_H
#define PANELBIN_SHA256_H

#include <stddef.h>
#include <stdint.h>

#include <string>

class Sha256 {
public:
    Sha256();
    void Add(const void* bytes, size_t n);
    /* The digest as 64 lowercase hex digits; the object is spent after it. */
    std::string HexDigest();

private:
    void Block(const uint8_t* block);

    uint32_t m_state[8];
    uint8_t m_pending[64];
    size_t m_pendingLen;
    uint64_t m_totalLen;
};

/* The digest of a whole file; throws a Failure (exit 3) when it cannot be
 * read. */
std::string FileSha256(const std::string& path);

#endif
