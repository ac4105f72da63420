/* The temporary file a replacement fills beside its target, and the removal
 * of those that writers killed half way left behind.
 *
 * A writer names its temporary ".<target>.<16 hex digits>.tmp" (the target's
 * name cut to 64 bytes) and holds an flock on it from right after its
 * exclusive creation until it is renamed or removed. A temporary whose lock
 * another writer can take at once belongs to nobody any more: it is stale.
 *
 * The first name a writer tries is always the same one (all digits zero), so
 * the next writer of a target runs straight into what a killed one left and
 * removes it, without reading the directory. Only a writer that found a
 * temporary in its way (stale, or live: a concurrent writer, which tries
 * random digits instead) reads the directory for more. */
#ifndef BASE_TEMP_FILE_H
#define BASE_TEMP_FILE_H

#include <limits.h>
#include <sys/stat.h>
#include <sys/types.h>

/* A locked temporary file in the target's directory, removed unless renamed. */
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    /* Creates the temporary of `base` in `dir` with `mode` (the umask
     * applies), locked; `created` receives its fstat. False with errno. */
    bool Create(const char* dir, const char* base, mode_t mode, struct stat* created);

    int Fd() const { return m_fd; }

    /* Closes the descriptor, and so drops the lock: only after the rename,
     * since a temporary whose lock is free is anybody's to remove. */
    bool Close();

    /* Renames the temporary over `path`; from then on it is not removed. */
    bool RenameOver(const char* path);

    /* Whether Create met another temporary of the same target. */
    bool MetOthers() const { return m_metOthers; }

private:
    bool TryName(const char* dir, const char* base, unsigned long long digits, mode_t mode,
                 struct stat* created);
    /* Lets go of a file that a remover has taken; errno EEXIST. */
    void Abandon();

    int m_fd = -1;
    bool m_owned = false; /* the name is ours to remove */
    bool m_metOthers = false;
    char m_path[PATH_MAX] = "";
};

/* Removes every stale temporary of `base` in `dir`, whose open descriptor
 * is `dirFd`; the live ones stay. Best effort: errno is kept. */
void RemoveStaleTemporaries(int dirFd, const char* dir, const char* base);

#endif
