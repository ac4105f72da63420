/* Every system call of the two board-link transports and of the bin file
 * I/O goes through this table. The library uses the real calls; a test
 * swaps in its own to make a line that is full, interrupted, gone or
 * throwing, a clock it steers, or a disk whose sync, close or rename
 * fails, without a process, a device or a broken disk on the other end. */
#ifndef BASE_SYSCALLS_H
#define BASE_SYSCALLS_H

#include <poll.h>
#include <stddef.h>
#include <stdint.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <termios.h>
#include <time.h>

struct SysCalls {
    int (*Open)(const char* path, int flags);
    int (*Close)(int fd);
    ssize_t (*Read)(int fd, void* buf, size_t n);
    ssize_t (*Write)(int fd, const void* buf, size_t n);
    int (*Poll)(struct pollfd* fds, nfds_t count, int timeoutMs);
    int (*TcGetAttr)(int fd, struct termios* line);
    int (*TcSetAttr)(int fd, int when, const struct termios* line);
    int (*TcFlush)(int fd, int queue);
    int (*SetStatusFlags)(int fd, int flags); /* fcntl(F_SETFL) */
    int (*Flock)(int fd, int operation);
    int (*Socket)(int domain, int type, int protocol);
    int (*Connect)(int fd, const struct sockaddr* address, socklen_t length);
    int (*GetSockOpt)(int fd, int level, int name, void* value, socklen_t* length);
    ssize_t (*Send)(int fd, const void* buf, size_t n, int flags);
    ssize_t (*Recv)(int fd, void* buf, size_t n, int flags);
    /* Milliseconds of a monotonic clock. */
    uint64_t (*NowMs)();
    /* The file calls of the bin file code. */
    int (*OpenFile)(const char* path, int flags, mode_t mode);
    int (*Fstat)(int fd, struct stat* st);
    ssize_t (*Pread)(int fd, void* buf, size_t n, off_t offset);
    int (*Fsync)(int fd);
    int (*Rename)(const char* from, const char* to);
    int (*Unlink)(const char* path);
    int (*Lstat)(const char* path, struct stat* st);
    int (*Stat)(const char* path, struct stat* st);
    /* faccessat(AT_FDCWD, path, mode, AT_EACCESS): the effective ids. */
    int (*Access)(const char* path, int mode);
    int (*Syncfs)(int fd);
    int (*Fchown)(int fd, uid_t owner, gid_t group);
    int (*Fchmod)(int fd, mode_t mode);
    /* getdents64: directory entries as struct dirent64 records. */
    ssize_t (*ReadDirectory)(int fd, void* buf, size_t n);
};

/* The table in use. */
const SysCalls& Sys();

/* The operating system's own calls. */
const SysCalls& RealSysCalls();

/* Makes `calls` the table in use until the object goes, then restores the
 * one before. For tests, while no board-link call runs. */
class SysCallsOverride {
public:
    explicit SysCallsOverride(const SysCalls& calls);
    ~SysCallsOverride();
    SysCallsOverride(const SysCallsOverride&) = delete;
    SysCallsOverride& operator=(const SysCallsOverride&) = delete;

private:
    const SysCalls* m_previous;
};

#endif
