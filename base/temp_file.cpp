/* A replacement's temporary file: its name, its lock, its exclusive
 * creation; and the removal of the stale ones (see base/temp_file.h). */
#include "base/temp_file.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include "base/SysCalls.h"
#include "base/file_io.h"

namespace {

constexpr size_t kNameCut = 64; /* bytes of the target's name in the temporary's */
constexpr size_t kDigits = 16;

bool FormatName(char (&out)[PATH_MAX], const char* dir, const char* base,
                unsigned long long digits) {
    int length = snprintf(out, sizeof out, "%s/.%.64s.%016llx.tmp", dir, base, digits);
    if (length >= 0 && static_cast<size_t>(length) < sizeof out) return true;
    out[0] = '\0';
    errno = ENAMETOOLONG;
    return false;
}

/* Digits for a writer that found the first name taken; never all zero. */
unsigned long long RandomDigits() {
    unsigned long long bits;
    if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
        /* No entropy yet (early boot): a name that is merely unlikely to
         * clash still works, since the exclusive open refuses any clash. */
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        bits = static_cast<unsigned long long>(now.tv_nsec) ^
               static_cast<unsigned long long>(getpid()) << 32;
    }
    return bits != 0 ? bits : 1;
}

bool IsLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

/* Whether the directory entry `name` has the name pattern of a temporary of
 * `base`: nothing else in the directory is ever touched. */
bool IsTemporaryOf(const char* name, const char* base) {
    size_t cut = strnlen(base, kNameCut);
    if (name[0] != '.' || strncmp(name + 1, base, cut) != 0 || name[1 + cut] != '.') return false;
    const char* digits = name + 2 + cut;
    for (size_t i = 0; i < kDigits; ++i)
        if (!IsLowerHex(digits[i])) return false;
    return strcmp(digits + kDigits, ".tmp") == 0;
}

/* Opened only to test the lock: never through a link, never waiting on a
 * FIFO; a file of mode 0200 opens for writing. */
int OpenToTestLock(const char* path) {
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = OpenRetrying(path, O_RDONLY | flags);
    if (fd < 0 && errno == EACCES) fd = OpenRetrying(path, O_WRONLY | flags);
    return fd;
}

/* Removes the temporary at `path` when no writer holds its lock. The lock
 * is kept while the name is checked and removed: no other remover can
 * meanwhile have removed this file and a new writer put its own under the
 * name. True when removed. */
bool RemoveIfStale(const char* path) {
    FileDescriptor fd(OpenToTestLock(path));
    if (fd.get() < 0) return false;
    struct stat held, named;
    if (Sys().Fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode)) return false;
    if (Sys().Flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return false; /* a live writer */
    if (Sys().Lstat(path, &named) != 0 || named.st_dev != held.st_dev ||
        named.st_ino != held.st_ino)
        return false;
    return Sys().Unlink(path) == 0;
}

}  // namespace

TempFile::~TempFile() {
    int error = errno; /* the caller reports why it gave up, not the clean-up */
    if (m_fd >= 0) Sys().Close(m_fd);
    if (m_owned) Sys().Unlink(m_path);
    errno = error;
}

bool TempFile::Create(const char* dir, const char* base, mode_t mode, struct stat* created) {
    if (TryName(dir, base, 0, mode, created)) return true;
    if (errno != EEXIST) return false;
    m_metOthers = true;
    /* What a killed writer left under the first name goes, and frees it. */
    if (RemoveIfStale(m_path)) {
        if (TryName(dir, base, 0, mode, created)) return true;
        if (errno != EEXIST) return false;
    }
    /* Another writer of the same target is at work: a name of our own. */
    for (int attempt = 0; attempt < 16; ++attempt) {
        if (TryName(dir, base, RandomDigits(), mode, created)) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

bool TempFile::TryName(const char* dir, const char* base, unsigned long long digits, mode_t mode,
                       struct stat* created) {
    if (!FormatName(m_path, dir, base, digits)) return false;
    int fd = OpenRetrying(m_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return false;
    m_fd = fd;
    m_owned = true;
    if (Sys().Flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        /* A remover opened the file before the lock was taken and holds it
         * now: it will remove the name, and the file is nobody's. */
        Abandon();
        return false;
    }
    /* Any other lock failure: a file system without flock. The file stays
     * unlocked, and removers, which cannot lock it either, leave it alone. */
    if (Sys().Fstat(fd, created) != 0) return false;
    if (created->st_nlink != 0) return true;
    /* A remover took the lock between the creation and ours and removed
     * the name. */
    Abandon();
    return false;
}

void TempFile::Abandon() {
    Sys().Close(m_fd);
    m_fd = -1;
    m_owned = false;
    errno = EEXIST; /* try another name */
}

bool TempFile::Close() {
    int fd = m_fd;
    m_fd = -1;
    return Sys().Close(fd) == 0;
}

bool TempFile::RenameOver(const char* path) {
    if (Sys().Rename(m_path, path) != 0) return false;
    m_owned = false;
    return true;
}

void RemoveStaleTemporaries(int dirFd, const char* dir, const char* base) {
    int error = errno;
    alignas(struct dirent64) char entries[8192];
    for (;;) {
        ssize_t got = Sys().ReadDirectory(dirFd, entries, sizeof entries);
        if (got <= 0) break;
        for (ssize_t at = 0; at < got;) {
            const struct dirent64* entry = reinterpret_cast<const struct dirent64*>(entries + at);
            if (entry->d_reclen == 0) break;
            at += entry->d_reclen;
            if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
            if (!IsTemporaryOf(entry->d_name, base)) continue;
            char path[PATH_MAX];
            int length = snprintf(path, sizeof path, "%s/%s", dir, entry->d_name);
            if (length > 0 && static_cast<size_t>(length) < sizeof path) RemoveIfStale(path);
        }
    }
    errno = error;
}
