/* What stat says of a file that changes whenever the file does: which file
 * it is (device, inode), its size, and its modification and change times
 * to the nanosecond. Both of the readers' memories key on it. */
#ifndef PANEL_BINFILE_FILE_STAMP_H
#define PANEL_BINFILE_FILE_STAMP_H

#include <sys/stat.h>
#include <time.h>

struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified = {};
    struct timespec changed = {};

    FileStamp() = default;
    explicit FileStamp(const struct stat& st)
        : device(st.st_dev), inode(st.st_ino), size(st.st_size), modified(st.st_mtim),
          changed(st.st_ctim) {}

    bool operator==(const FileStamp& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               SameTime(modified, other.modified) && SameTime(changed, other.changed);
    }

private:
    static bool SameTime(const struct timespec& a, const struct timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    }
};

#endif
