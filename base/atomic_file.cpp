/* Whole-or-nothing replacement of a file: temporary file beside the target,
 * checked write, fsync, rename, directory fsync. Each system call is one the
 * replacement needs: the common case is lstat, open, flock, fstat, write,
 * fsync, open of the directory, rename, fsync of the directory, two closes,
 * and the two signal mask changes around the write. */
#include "base/atomic_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/SysCalls.h"
#include "base/file_io.h"
#include "base/temp_file.h"

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

/* One lstat answers for the common target, a plain file or none. fopen
 * writes through a symbolic link; so do we, and the link survives: only a
 * link costs its resolution and a stat of the file it names. */
bool InspectTarget(const char* path, Target* target) {
    struct stat st;
    bool found = Sys().Lstat(path, &st) == 0;
    if (!found && errno != ENOENT) return false;
    if (found && S_ISLNK(st.st_mode)) {
        char* resolved = realpath(path, nullptr);
        if (resolved == nullptr) return false;
        bool copied = CopyPath(target->path, resolved);
        free(resolved);
        if (!copied) return false;
        found = Sys().Stat(target->path, &st) == 0;
        if (!found && errno != ENOENT) return false;
    } else if (!CopyPath(target->path, path)) {
        return false;
    }
    if (!SplitDirectory(target)) return false;
    target->exists = found;
    if (!found) return true;
    target->old = st;
    /* Renaming over a device, a pipe or a directory would destroy it. */
    if (S_ISREG(st.st_mode)) return true;
    errno = EINVAL;
    return false;
}

/* fopen refuses a file the caller may not write; so does the replacement.
 * The owner of a file with its owner-write bit may write it (an ACL never
 * restricts the owner), which the temporary's owner shows at no cost;
 * anyone else asks the kernel. */
bool MayWrite(const Target& target, const struct stat& temp) {
    if (target.old.st_uid == temp.st_uid && (target.old.st_mode & S_IWUSR) != 0) return true;
    return Sys().Access(target.path, W_OK) == 0;
}

/* The replacement of an existing file looks like the file fopen would have
 * rewritten in place: same mode and, where the caller may set it, owner.
 * The temporary was created with the old mode, so only another owner, a
 * set-group-id directory or a umask that took bits away costs a call. */
bool KeepOwnership(int fd, const struct stat& old, const struct stat& temp) {
    bool chowned = false;
    if (temp.st_uid != old.st_uid || temp.st_gid != old.st_gid) {
        /* Only a privileged caller may give a file away: anyone else's
         * replacement stays theirs, which is no reason to fail. */
        chowned = Sys().Fchown(fd, old.st_uid, old.st_gid) == 0;
        if (!chowned && errno != EPERM) return false;
    }
    /* A change of owner clears the set-user-id and set-group-id bits. */
    if (!chowned && (temp.st_mode & 07777) == (old.st_mode & 07777)) return true;
    return Sys().Fchmod(fd, old.st_mode & 07777) == 0;
}

/* A write beyond the file size limit raises SIGXFSZ, whose default action
 * ends the process. Blocked for this thread, the signal stays pending and
 * write fails with EFBIG instead; after a failed write the guard takes the
 * pending signal away so that restoring the mask does not deliver it. */
class FileSizeSignalGuard {
public:
    FileSizeSignalGuard() {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGXFSZ);
        m_active = pthread_sigmask(SIG_BLOCK, &m_set, &m_old) == 0;
        /* Only a caller that blocks the signal itself can have one pending
         * already; that one is the caller's and stays. */
        sigset_t pending;
        m_wasPending = m_active && sigismember(&m_old, SIGXFSZ) == 1 &&
                       sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1;
    }
    FileSizeSignalGuard(const FileSizeSignalGuard&) = delete;
    FileSizeSignalGuard& operator=(const FileSizeSignalGuard&) = delete;
    ~FileSizeSignalGuard() {
        if (!m_active) return;
        int error = errno;
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
        errno = error;
    }

    bool Active() const { return m_active; }

    /* After a failed write: the kernel raises SIGXFSZ only with EFBIG, so
     * a write that succeeded needs no look at the pending signals. */
    void AbsorbRaised() {
        if (m_wasPending) return;
        int error = errno;
        const struct timespec now = {0, 0};
        /* EAGAIN when none was raised: nothing to take away. */
        while (sigtimedwait(&m_set, nullptr, &now) == SIGXFSZ) {
        }
        errno = error;
    }

private:
    sigset_t m_set;
    sigset_t m_old;
    bool m_active;
    bool m_wasPending;
};

bool WriteLoop(int fd, const void* data, size_t size) {
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

bool WriteAll(int fd, const void* data, size_t size) {
    FileSizeSignalGuard guard;
    if (!guard.Active()) return false;
    if (WriteLoop(fd, data, size)) return true;
    guard.AbsorbRaised();
    return false;
}

/* Makes the rename durable: an fsync of the directory, or, where the
 * directory could not be opened (no read permission, mode 0333), a sync of
 * the file system, which carries the directory entry along. The target has
 * changed either way, so a failure here only leaves the new entry's
 * durability in doubt and is not reported (a file system that cannot sync
 * a directory says EINVAL; there the rename is as durable as it gets). */
void SyncRename(int dirFd, int fileFd) {
    int synced = dirFd >= 0 ? Sys().Fsync(dirFd) : Sys().Syncfs(fileFd);
    (void)synced;
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
    struct stat created;
    const mode_t mode = target.exists ? target.old.st_mode & 07777 : 0666;
    if (!temp.Create(target.dir, target.base, mode, &created)) return false;
    if (target.exists &&
        (!MayWrite(target, created) || !KeepOwnership(temp.Fd(), target.old, created)))
        return false;
    if (!WriteAll(temp.Fd(), data, size) || Sys().Fsync(temp.Fd()) != 0) return false;
    /* Opened before the rename, so that a directory that cannot be opened
     * for another reason than its missing read permission fails the call
     * while the target is still as it was. */
    FileDescriptor dir(OpenRetrying(target.dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0 && errno != EACCES) return false;
    /* The temporary stays open, and so locked, until it is renamed. */
    if (!temp.RenameOver(target.path)) return false;
    SyncRename(dir.get(), temp.Fd());
    /* The data were synced: a close can no longer lose them, and the
     * target has changed whatever it says. */
    bool closed = temp.Close();
    (void)closed;
    if (temp.MetOthers() && dir.get() >= 0) RemoveStaleTemporaries(dir.get(), target.dir, target.base);
    return true;
}
