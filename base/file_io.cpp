/* EINTR-safe file opens and reads through the system-call table. */
#include "base/file_io.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

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

FileKind FileKindOf(int fd, const struct stat& st) {
    if (S_ISREG(st.st_mode)) return FileKind::kRegular;
    if (S_ISFIFO(st.st_mode)) return FileKind::kFifo;
    if (S_ISDIR(st.st_mode)) return FileKind::kDirectory;
    if (S_ISCHR(st.st_mode) && isatty(fd)) return FileKind::kTerminal;
    return FileKind::kOther;
}

int OpenRegularNoWait(const char* path, struct stat* st, FileKind* kind, bool fifoToo) {
    *kind = FileKind::kUnopened;
    FileDescriptor file(OpenRetrying(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0 || Sys().Fstat(file.get(), st) != 0) return -1;
    *kind = FileKindOf(file.get(), *st);
    if (*kind == FileKind::kRegular || (fifoToo && *kind == FileKind::kFifo)) return file.release();
    return -1;
}
