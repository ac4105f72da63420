/* The decoded trace of a board link: the bytes that went to and came from
 * the board's descriptor become timestamped lines, a line per piece of the
 * exchange (start text, header, data part, respond byte, reply, reply
 * checksum), with every checksum checked. Without a file it still follows
 * the exchange, to say what the link awaits. */
#ifndef PANELBIN_FRAME_TRACE_H
#define PANELBIN_FRAME_TRACE_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "include/ks_type.h"

class FrameTrace {
public:
    enum Awaited { kNothing, kConnection, kHeaderAnswer, kDataAnswer, kReply };

    /* Writes to `path` from now on, after a first line with the wall-clock
     * time of +0.000. Throws a Failure (exit 3) when it cannot. */
    void Open(const std::string& path);
    /* Ends the file; says so on stderr when it could not be completed. */
    void Close();

    /* A new descriptor to the board: what was pending is forgotten. */
    void Begin(bool serial);
    /* The descriptor is closed: a read cut short is written as such. */
    void End();
    void Note(const std::string& text);
    void Sent(const KS_U8* bytes, size_t n);
    /* `n` bytes came for a read of `asked` bytes. */
    void Received(size_t asked, const KS_U8* bytes, size_t n);

    Awaited awaited() const { return m_awaited; }

private:
    struct FileCloser {
        void operator()(FILE* file) const { fclose(file); }
    };

    void DecodeSent();
    void DecodeHeader(const KS_U8* bytes);
    void DecodeDataPart(const KS_U8* bytes, size_t dataLen);
    void DecodeReceived(bool complete);

    std::unique_ptr<FILE, FileCloser> m_file;
    uint64_t m_startMs = 0;
    bool m_serial = false;
    std::vector<KS_U8> m_out;  /* sent and not yet decoded */
    size_t m_dataAwaited = 0;  /* a decoded header's data length + 1; 0: none */
    std::vector<KS_U8> m_in;   /* received towards the read the link asked for */
    size_t m_asked = 0;        /* that read's size, 0 when none is open */
    std::vector<KS_U8> m_lastReply;
    std::atomic<Awaited> m_awaited{kNothing};
};

#endif
