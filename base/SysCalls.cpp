/* The real system calls behind the table, and the switch tests use. */
#include "base/SysCalls.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

namespace {

int RealOpen(const char* path, int flags) { return open(path, flags); }

int RealOpenFile(const char* path, int flags, mode_t mode) { return open(path, flags, mode); }

/* Wrapped, so that the 64-bit file offset variants are the ones taken. */
int RealFstat(int fd, struct stat* st) { return fstat(fd, st); }

ssize_t RealPread(int fd, void* buf, size_t n, off_t offset) { return pread(fd, buf, n, offset); }

int RealLstat(const char* path, struct stat* st) { return lstat(path, st); }

int RealStat(const char* path, struct stat* st) { return stat(path, st); }

int RealAccess(const char* path, int mode) { return faccessat(AT_FDCWD, path, mode, AT_EACCESS); }

ssize_t RealReadDirectory(int fd, void* buf, size_t n) { return getdents64(fd, buf, n); }

int RealSetStatusFlags(int fd, int flags) { return fcntl(fd, F_SETFL, flags); }

/* CLOCK_MONOTONIC cannot fail with a valid pointer; a zero time would only
 * make a limit fire late, never early. Time limits follow the wall, not the
 * processor time of a busy host process. */
uint64_t MonotonicMs() {
    struct timespec now;
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0;
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

const SysCalls kReal = {
    RealOpen,  close,       read,    write,      poll, tcgetattr, tcsetattr, tcflush,
    RealSetStatusFlags, flock, socket, connect, getsockopt, send, recv,     MonotonicMs,
    RealOpenFile, RealFstat, RealPread, fsync, rename, unlink,
    RealLstat, RealStat, RealAccess, syncfs, fchown, fchmod, RealReadDirectory,
};

std::atomic<const SysCalls*> gInUse(&kReal);

}  // namespace

const SysCalls& Sys() { return *gInUse.load(std::memory_order_acquire); }

const SysCalls& RealSysCalls() { return kReal; }

SysCallsOverride::SysCallsOverride(const SysCalls& calls)
    : m_previous(gInUse.exchange(&calls, std::memory_order_acq_rel)) {}

SysCallsOverride::~SysCallsOverride() { gInUse.store(m_previous, std::memory_order_release); }
