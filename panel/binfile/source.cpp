/* On-demand reading of a bin file through a growing window. */
#include "panel/binfile/source.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/SysCalls.h"
#include "base/file_io.h"

namespace {

/* The heap window: large enough that a walk over a full file takes a dozen
 * reads, small enough to stay in the cache it is copied into. */
const KS_U32 kWindowSize = 64 * 1024;

/* Reads up to `length` bytes at `offset`; what lies past the end of the
 * file is zero. False on a read error (errno set). */
bool ReadAt(int fd, KS_U8* out, KS_U32 length, KS_U32 offset) {
    ssize_t got = ReadFullyAt(fd, out, length, static_cast<off_t>(offset));
    if (got < 0) return false;
    memset(out + got, 0, length - static_cast<size_t>(got));
    return true;
}

}  // namespace

BinFileSource::~BinFileSource() {
    free(m_window);
    if (m_fd >= 0) Sys().Close(m_fd);
}

int OpenBinFile(const char* path, struct stat* st, BinStatus* status) {
    FileKind kind;
    const int fd = OpenRegularNoWait(path, st, &kind);
    switch (kind) {
        case FileKind::kRegular:
            return fd;
        case FileKind::kUnopened:
            status->Fail(BinFault::kOpen, "cannot open %s: %s", path, strerror(errno));
            return -1;
        case FileKind::kDirectory:
            /* Say so rather than "EISDIR". */
            status->Fail(BinFault::kRead, "%s is a directory", path);
            return -1;
        default:
            status->Fail(BinFault::kNotRegular, "%s is not a regular file", path);
            return -1;
    }
}

bool BinFileSource::Open(const char* path, BinStatus* status) {
    m_status = status;
    if (path == nullptr) return status->Fail(BinFault::kOpen, "no file name");
    m_fd = OpenBinFile(path, &m_stat, status);
    if (m_fd < 0) return false;
    /* The fixed part answers the magic, the header and both table records:
     * a header lookup needs no further read. The first window read still
     * takes the small buffer whole. */
    if (!ReadAt(m_fd, m_first, BinLayout::kFixedPartSize, 0))
        return status->Fail(BinFault::kRead, "cannot read %s: %s", path, strerror(errno));
    m_current = m_first;
    m_start = 0;
    m_filled = BinLayout::kFixedPartSize;
    return true;
}

bool BinFileSource::OpenImage(const KS_U8* bytes, size_t size, BinStatus* status) {
    m_status = status;
    if (bytes == nullptr && size != 0) return status->Fail(BinFault::kOpen, "no image given");
    if (size >= kBinFileSize) {
        m_current = bytes;
    } else {
        m_window = static_cast<KS_U8*>(calloc(kBinFileSize, 1));
        if (m_window == nullptr) return status->Fail(BinFault::kNoMemory, "no memory for the image");
        if (size != 0) memcpy(m_window, bytes, size);
        m_current = m_window;
    }
    m_start = 0;
    m_filled = kBinFileSize;
    return true;
}

bool BinFileSource::Fill(KS_U32 offset, KS_U32 length) {
    KS_U8* buffer = m_first;
    KS_U32 want = kMaxSpan;
    if (m_reads++ != 0) {
        /* Past the first read the walk is going far: read ahead, more each
         * time, into the heap window. */
        if (m_window == nullptr) {
            m_window = static_cast<KS_U8*>(malloc(kWindowSize));
            if (m_window == nullptr)
                return m_status->Fail(BinFault::kNoMemory, "no memory for a read buffer");
            m_capacity = kWindowSize;
            m_next = 2 * kMaxSpan;
        }
        buffer = m_window;
        want = m_next > length ? m_next : length;
        if (m_next < m_capacity) m_next *= 2;
    }
    if (want > kBinFileSize - offset) want = kBinFileSize - offset;
    if (!ReadAt(m_fd, buffer, want, offset)) {
        m_filled = 0;
        return m_status->Fail(BinFault::kRead, "cannot read at offset %u: %s", offset,
                              strerror(errno));
    }
    m_start = offset;
    m_filled = want;
    m_current = buffer;
    return true;
}

/* Bytes outside the window: read them. */
const KS_U8* BinFileSource::Read(KS_U32 offset, KS_U32 length) {
    if (length > kMaxSpan || offset > kBinFileSize || length > kBinFileSize - offset) {
        m_status->Fail(BinFault::kRead, "read of %u bytes at offset %u is outside the file",
                       length, offset);
        return nullptr;
    }
    if (!Fill(offset, length)) return nullptr;
    return m_current + (offset - m_start);
}

bool BinFileSource::Copy(KS_U32 offset, KS_U32 length, void* out) {
    const KS_U8* bytes = Bytes(offset, length);
    if (bytes == nullptr) return false;
    memcpy(out, bytes, length);
    return true;
}

bool BinFileSource::ReadExact(KS_U32 offset, KS_U32 length, KS_U8* out) {
    if (offset > kBinFileSize || length > kBinFileSize - offset)
        return m_status->Fail(BinFault::kRead, "read of %u bytes at offset %u is outside the file",
                              length, offset);
    if (m_fd < 0) return Copy(offset, length, out);
    if (!ReadAt(m_fd, out, length, offset))
        return m_status->Fail(BinFault::kRead, "cannot read at offset %u: %s", offset,
                              strerror(errno));
    return true;
}
