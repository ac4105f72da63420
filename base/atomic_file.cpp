/* Whole-or-nothing replacement of a file: temporary file beside the target,
 * checked write, fsync, rename, directory fsync. */
#include "base/atomic_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "base/SysCalls.h"
#include "base/file_io.h"

namespace {

/* The file to replace and what it looked like before. */
struct Target {
    char path[PATH_MAX]; /* symbolic links resolved */
    char dir[PATH_MAX];
    const char* base; /* the name inside dir; points into path */
    bool exists;
    struct stat old;
};

bool CopyPath(char (&out)[PATH_MAX], const char* text) {
    size_t length = strlen(text);
    if (length >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return false;
    }
    memcpy(out, text, length + 1);
    return true;
}

/* fopen writes through a symbolic link; so do we, and the link survives. */
bool ResolveTarget(const char* path, Target* target) {
    struct stat st;
    if (lstat(path, &st) != 0 || !S_ISLNK(st.st_mode)) return CopyPath(target->path, path);
    char* resolved = realpath(path, nullptr);
    if (resolved == nullptr) return false;
    bool copied = CopyPath(target->path, resolved);
    free(resolved);
    return copied;
}

bool SplitDirectory(Target* target) {
    const char* slash = strrchr(target->path, '/');
    if (slash == nullptr) {
        strcpy(target->dir, ".");
        target->base = target->path;
    } else {
        size_t dirLength = slash == target->path ? 1 : static_cast<size_t>(slash - target->path);
        memcpy(target->dir, target->path, dirLength);
        target->dir[dirLength] = '\0';
        target->base = slash + 1;
    }
    if (*target->base != '\0') return true;
    errno = EISDIR;
    return false;
}

bool InspectTarget(const char* path, Target* target) {
    if (!ResolveTarget(path, target) || !SplitDirectory(target)) return false;
    target->exists = stat(target->path, &target->old) == 0;
    if (!target->exists) return errno == ENOENT;
    /* Renaming over a device, a pipe or a directory would destroy it. */
    if (!S_ISREG(target->old.st_mode)) {
        errno = EINVAL;
        return false;
    }
    /* fopen refuses a file the caller may not write; so does the rename. */
    return faccessat(AT_FDCWD, target->path, W_OK, AT_EACCESS) == 0;
}

unsigned long long RandomBits() {
    unsigned long long bits;
    if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bits))
        return bits;
    /* No entropy yet (early boot): a name that is merely unlikely to clash
     * still works, since the exclusive open refuses any clash. */
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<unsigned long long>(now.tv_nsec) ^
           static_cast<unsigned long long>(getpid()) << 32;
}

/* A temporary file in the target's directory, removed unless renamed. */
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        int error = errno; /* the caller reports why it gave up, not the clean-up */
        if (m_fd >= 0) Sys().Close(m_fd);
        if (m_path[0] != '\0') Sys().Unlink(m_path);
        errno = error;
    }

    /* Created exclusively with mode 0666, so the umask and a default ACL
     * apply exactly as they would to fopen's new file. */
    bool Create(const Target& target) {
        for (int attempt = 0; attempt < 16; ++attempt) {
            int length = snprintf(m_path, sizeof m_path, "%s/.%.64s.%016llx.tmp", target.dir,
                                  target.base, RandomBits());
            if (length < 0 || static_cast<size_t>(length) >= sizeof m_path) {
                m_path[0] = '\0';
                errno = ENAMETOOLONG;
                return false;
            }
            m_fd = OpenRetrying(m_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd >= 0) return true;
            int error = errno;
            m_path[0] = '\0'; /* someone else's file, or none: never unlink it */
            errno = error;
            if (error != EEXIST) return false;
        }
        return false;
    }

    int Fd() const { return m_fd; }

    bool Close() {
        int fd = m_fd;
        m_fd = -1;
        return Sys().Close(fd) == 0;
    }

    bool RenameOver(const char* path) {
        if (Sys().Rename(m_path, path) != 0) return false;
        m_path[0] = '\0';
        return true;
    }

private:
    int m_fd = -1;
    char m_path[PATH_MAX] = "";
};

/* The replacement of an existing file looks like the file fopen would have
 * rewritten in place: same mode and, where the caller may set it, owner. */
bool KeepOwnership(int fd, const struct stat& old) {
    /* Only a privileged caller may give a file away: anyone else's
     * replacement stays theirs, which is no reason to fail. */
    if (fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) return false;
    return fchmod(fd, old.st_mode & 07777) == 0;
}

/* A write beyond the file size limit raises SIGXFSZ, whose default action
 * ends the process. Blocked for this thread, the signal stays pending and
 * write fails with EFBIG instead; the guard then takes the pending signal
 * away so that restoring the mask does not deliver it. */
class FileSizeSignalGuard {
public:
    FileSizeSignalGuard() {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGXFSZ);
        m_active = pthread_sigmask(SIG_BLOCK, &m_set, &m_old) == 0;
        sigset_t pending;
        m_wasPending = m_active && sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1;
    }
    FileSizeSignalGuard(const FileSizeSignalGuard&) = delete;
    FileSizeSignalGuard& operator=(const FileSizeSignalGuard&) = delete;
    ~FileSizeSignalGuard() {
        if (!m_active) return;
        int error = errno;
        if (!m_wasPending) {
            const struct timespec now = {0, 0};
            /* EAGAIN when none was raised: nothing to take away. */
            while (sigtimedwait(&m_set, nullptr, &now) == SIGXFSZ) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
        errno = error;
    }

    bool Active() const { return m_active; }

private:
    sigset_t m_set;
    sigset_t m_old;
    bool m_active;
    bool m_wasPending;
};

bool WriteAll(int fd, const void* data, size_t size) {
    FileSizeSignalGuard guard;
    if (!guard.Active()) return false;
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = Sys().Write(fd, next, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        next += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool SyncDirectory(const char* dir) {
    FileDescriptor fd(OpenRetrying(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) return false;
    /* A file system that cannot sync a directory says EINVAL; there the
     * rename is as durable as it can be made. */
    bool synced = Sys().Fsync(fd.get()) == 0 || errno == EINVAL;
    int error = errno;
    bool closed = fd.Close();
    if (!synced) errno = error;
    return synced && closed;
}

}  // namespace

bool ReplaceFileContents(const char* path, const void* data, size_t size) {
    if (path == nullptr || (data == nullptr && size != 0)) {
        errno = EINVAL;
        return false;
    }
    Target target;
    if (!InspectTarget(path, &target)) return false;
    TempFile temp;
    if (!temp.Create(target)) return false;
    if (target.exists && !KeepOwnership(temp.Fd(), target.old)) return false;
    if (!WriteAll(temp.Fd(), data, size) || Sys().Fsync(temp.Fd()) != 0 || !temp.Close()) return false;
    if (!temp.RenameOver(target.path)) return false;
    return SyncDirectory(target.dir);
}
