/* The EINTR-safe file open and reads and the file descriptor owner that the
 * bin file code and panelbin share, all through the system-call table (base/SysCalls.h) so
 * that tests can make any of these calls fail. */
#ifndef BASE_FILE_IO_H
#define BASE_FILE_IO_H

#include <stddef.h>
#include <sys/stat.h>
#include <sys/types.h>

/* Owns one file descriptor, closed through the table when it goes. */
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    /* Gives up ownership without closing. */
    int release();
    /* Closes now and reports the result: a close can fail after a write. */
    bool Close();

private:
    int m_fd = -1;
};

/* open(2), retried while a signal interrupts it; -1 with errno otherwise. */
int OpenRetrying(const char* path, int flags, mode_t mode = 0);

/* Reads up to `length` bytes at `offset` into `out`, as many as the file
 * holds there: the count read (less than length only at the end of the
 * file), or -1 with errno. */
ssize_t ReadFullyAt(int fd, void* out, size_t length, off_t offset);

/* What OpenRegularNoWait found at a path. */
enum class FileKind { kUnopened, kRegular, kFifo, kDirectory, kTerminal, kOther };

/* What the open file `fd`, which `st` describes, is. */
FileKind FileKindOf(int fd, const struct stat& st);

/* Opens `path` for reading without ever waiting on it: non-blocking (a FIFO
 * without a writer would hold a plain open for ever), no controlling
 * terminal, close-on-exec, retried on EINTR; then fstat into *st. Returns
 * the descriptor of a regular file, or of a FIFO when `fifoToo` (a caller
 * that reads a pipe whole, polling). Otherwise -1 with *kind saying why:
 * kUnopened with errno of the open or the fstat, or the kind of what is
 * there, closed unread. *kind is kRegular or kFifo on success. */
int OpenRegularNoWait(const char* path, struct stat* st, FileKind* kind, bool fifoToo = false);

#endif
