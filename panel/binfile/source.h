/* The first 819200 bytes of a bin file, read on demand with pread.
 *
 * The file is not mapped: a file truncated while it is read (another
 * program copying over it) would kill the whole process with SIGBUS. Reads
 * go through one window that starts small and grows as a walk moves on, so
 * a lookup near the start of the file costs one small read and a walk over
 * every record reads each byte once. Bytes past the end of the file read as
 * zero, bytes past 819200 are never read. Only a regular file is read: a
 * pipe, terminal or device could make a reader wait for ever, so it is
 * refused (a tool that takes one reads it into memory and opens the image). */
#ifndef PANEL_BINFILE_SOURCE_H
#define PANEL_BINFILE_SOURCE_H

#include <stddef.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "panel/binfile/bin_file.h"

/* Opens the bin file at `path` for reading without ever waiting
 * (OpenRegularNoWait): the descriptor of a regular file, its fstat in *st;
 * otherwise -1 with the reason in *status (kOpen, kRead for a directory,
 * kNotRegular for anything else). */
int OpenBinFile(const char* path, struct stat* st, BinStatus* status);

class BinFileSource {
public:
    BinFileSource() = default;
    ~BinFileSource();
    BinFileSource(const BinFileSource&) = delete;
    BinFileSource& operator=(const BinFileSource&) = delete;

    /* Opens the file (OpenBinFile) and reads its fixed part
     * (BinLayout::kFixedPartSize bytes); false with the reason. */
    bool Open(const char* path, BinStatus* status);
    /* Serves the `size` bytes at `bytes`, which must outlive the source, as
     * the file: a shorter image reads as if padded with zero bytes (it is
     * then copied), bytes past 819200 are ignored. False only for a null
     * image of non-zero size or no memory for the copy. */
    bool OpenImage(const KS_U8* bytes, size_t size, BinStatus* status);

    /* The image's bytes [offset, offset + length), length at most
     * kMaxSpan and offset + length at most 819200; valid until the next
     * call. Null, with the reason in the status given to Open, when the
     * read fails. */
    const KS_U8* Bytes(KS_U32 offset, KS_U32 length) {
        /* Inline: a walk over a full file asks for 1599 record headers. */
        if (m_filled != 0 && offset >= m_start && offset - m_start <= m_filled &&
            length <= m_filled - (offset - m_start))
            return m_current + (offset - m_start);
        return Read(offset, length);
    }

    /* Copies image bytes [offset, offset + length) to `out`. */
    bool Copy(KS_U32 offset, KS_U32 length, void* out);

    /* Reads image bytes [offset, offset + length) of the file straight into
     * `out` with one read, past the window (which it leaves as it was): a
     * lookup that already knows where its record lies. */
    bool ReadExact(KS_U32 offset, KS_U32 length, KS_U8* out);

    /* What fstat said of the file when it was opened; null for an image. */
    const struct stat* FileStat() const { return m_fd >= 0 ? &m_stat : nullptr; }

    static const KS_U32 kMaxSpan = 4096;

private:
    bool Fill(KS_U32 offset, KS_U32 length);
    const KS_U8* Read(KS_U32 offset, KS_U32 length);

    int m_fd = -1;
    struct stat m_stat = {};
    BinStatus m_unopened; /* where a source never opened reports */
    BinStatus* m_status = &m_unopened;
    KS_U8* m_window = nullptr; /* m_capacity bytes once the first read outgrows m_first */
    KS_U32 m_capacity = 0;
    const KS_U8* m_current = nullptr; /* m_first or m_window */
    KS_U32 m_start = 0;               /* image offset of its first byte */
    KS_U32 m_filled = 0;              /* bytes of it that hold the image */
    unsigned m_reads = 0;
    KS_U32 m_next = 0; /* size of the next read */
    alignas(8) KS_U8 m_first[kMaxSpan];
};

#endif
