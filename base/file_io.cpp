/* EINTR-safe file reads through the system-call table. */
#include "base/file_io.h"

#include <errno.h>

#include "base/SysCalls.h"

FileDescriptor::~FileDescriptor() {
    if (m_fd < 0) return;
    int error = errno; /* a caller reporting a failure keeps its errno */
    Sys().Close(m_fd);
    errno = error;
}

int FileDescriptor::release() {
    int fd = m_fd;
    m_fd = -1;
    return fd;
}

bool FileDescriptor::Close() {
    /* Not retried on EINTR: on Linux the descriptor is gone either way. */
    return Sys().Close(release()) == 0;
}

int OpenRetrying(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = Sys().OpenFile(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

ssize_t ReadFullyAt(int fd, void* out, size_t length, off_t offset) {
    char* bytes = static_cast<char*>(out);
    size_t done = 0;
    while (done < length) {
        ssize_t got = Sys().Pread(fd, bytes + done, length - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

ssize_t ReadFully(int fd, void* out, size_t length) {
    char* bytes = static_cast<char*>(out);
    size_t done = 0;
    while (done < length) {
        ssize_t got = Sys().Read(fd, bytes + done, length - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}
