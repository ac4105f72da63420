/* The kept images of settled files: a handful of entries under one lock. */
#include "panel/binfile/image_cache.h"

#include <limits.h>
#include <linux/magic.h>
#include <string.h>
#include <sys/statfs.h>

#include <mutex>
#include <new>

#include "base/SysCalls.h"
#include "panel/binfile/file_stamp.h"

namespace {

/* A GUI has one file open at a time, a tool compares two. */
const int kEntries = 4;

/* Local file systems, whose stat is the kernel's own and whose times come
 * from this machine's clock. The two not named by <linux/magic.h> of older
 * releases are spelled out. */
const unsigned long kLocalFileSystems[] = {
    EXT4_SUPER_MAGIC, /* also ext2 and ext3 */
    TMPFS_MAGIC,       RAMFS_MAGIC,       XFS_SUPER_MAGIC,   BTRFS_SUPER_MAGIC,
    F2FS_SUPER_MAGIC,  MSDOS_SUPER_MAGIC, /* vfat: USB sticks */
    0x2011BAB0,        /* exFAT */
    0x7366746EUL,      /* ntfs3 */
};

struct Entry {
    unsigned long long lastUse = 0;
    FileStamp stamp;
    SharedImage image; /* null: the entry is free */
    char name[PATH_MAX] = {};
};

struct Cache {
    std::mutex lock;
    unsigned long long clock = 0;
    Entry entries[kEntries];
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

long long Nanoseconds(const struct timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

bool OnLocalFileSystem(int fd) {
    struct statfs fs;
    if (Sys().Fstatfs(fd, &fs) != 0) return false;
    for (unsigned long type : kLocalFileSystems)
        if (static_cast<unsigned long>(fs.f_type) == type) return true;
    return false;
}

bool Named(const Entry& entry, const char* path) {
    return entry.image != nullptr && strcmp(entry.name, path) == 0;
}

}  // namespace

bool IsSettledFile(int fd, const struct stat& st) {
    struct timespec now;
    Sys().WallClock(&now);
    /* A change time in the future (a clock set back) is not settled. */
    if (Nanoseconds(now) - Nanoseconds(st.st_ctim) < kSettledSeconds * 1000000000LL) return false;
    return S_ISREG(st.st_mode) && OnLocalFileSystem(fd);
}

SharedImage FindSettledImage(const char* path, const struct stat& st) {
    const FileStamp stamp(st);
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    for (Entry& entry : cache.entries) {
        if (!Named(entry, path)) continue;
        if (!(entry.stamp == stamp)) {
            /* Another file, or the file changed: the old bytes are of no
             * further use. */
            entry.image.reset();
            return nullptr;
        }
        entry.lastUse = ++cache.clock;
        return entry.image;
    }
    return nullptr;
}

void RememberSettledImage(const char* path, const struct stat& st, SharedImage image) {
    if (image == nullptr || strlen(path) >= PATH_MAX) return;
    const FileStamp stamp(st);
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    Entry* slot = nullptr;
    for (Entry& entry : cache.entries)
        if (Named(entry, path)) slot = &entry;
    for (Entry& entry : cache.entries)
        if (slot == nullptr && entry.image == nullptr) slot = &entry;
    if (slot == nullptr) {
        slot = &cache.entries[0];
        for (Entry& entry : cache.entries)
            if (entry.lastUse < slot->lastUse) slot = &entry;
    }
    slot->stamp = stamp;
    slot->image = std::move(image);
    strcpy(slot->name, path);
    slot->lastUse = ++cache.clock;
}

bool IsKeptName(const char* path) {
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    for (const Entry& entry : cache.entries)
        if (Named(entry, path)) return true;
    return false;
}

std::shared_ptr<KS_U8> NewImageBuffer() {
    KS_U8* bytes = new (std::nothrow) KS_U8[kBinFileSize];
    if (bytes == nullptr) return nullptr;
    try {
        return std::shared_ptr<KS_U8>(bytes, [](KS_U8* p) { delete[] p; });
    } catch (const std::bad_alloc&) {
        return nullptr; /* the deleter has run */
    }
}
