/* The EINTR-safe file reads and the file descriptor owner that the bin
 * file code shares, all through the system-call table (base/SysCalls.h) so
 * that tests can make any of these calls fail. */
#ifndef BASE_FILE_IO_H
#define BASE_FILE_IO_H

#include <stddef.h>
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

/* The same for a file without offsets (a pipe, a device), in order. */
ssize_t ReadFully(int fd, void* out, size_t length);

#endif
