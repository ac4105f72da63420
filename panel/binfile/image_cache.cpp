/* The kept images of settled files: a handful of entries under one lock. */
#include "panel/binfile/image_cache.h"

#include <linux/magic.h>
#include <string.h>
#include <sys/statfs.h>

#include <atomic>
#include <mutex>
#include <new>

#include "base/SysCalls.h"

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

struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified = {};
    struct timespec changed = {};
};

Stamp StampOf(const struct stat& st) {
    Stamp stamp;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = st.st_mtim;
    stamp.changed = st.st_ctim;
    return stamp;
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool SameFile(const Stamp& a, const Stamp& b) { return a.device == b.device && a.inode == b.inode; }

bool SameStamp(const Stamp& a, const Stamp& b) {
    return SameFile(a, b) && a.size == b.size && SameTime(a.modified, b.modified) &&
           SameTime(a.changed, b.changed);
}

struct Entry {
    unsigned long long lastUse = 0;
    Stamp stamp;
    SharedImage image; /* null: the entry is free */
};

struct Cache {
    std::mutex lock;
    unsigned long long clock = 0;
    std::atomic<int> kept{0};
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

void Drop(Cache* cache, Entry* entry) {
    if (entry->image == nullptr) return;
    entry->image.reset();
    --cache->kept;
}

}  // namespace

bool IsSettledFile(int fd, const struct stat& st) {
    struct timespec now;
    Sys().WallClock(&now);
    /* A change time in the future (a clock set back) is not settled. */
    if (Nanoseconds(now) - Nanoseconds(st.st_ctim) < kSettledSeconds * 1000000000LL) return false;
    return S_ISREG(st.st_mode) && OnLocalFileSystem(fd);
}

SharedImage FindSettledImage(const struct stat& st) {
    const Stamp stamp = StampOf(st);
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    for (Entry& entry : cache.entries) {
        if (entry.image == nullptr || !SameFile(entry.stamp, stamp)) continue;
        if (!SameStamp(entry.stamp, stamp)) {
            /* The file changed: its old bytes are of no further use. */
            Drop(&cache, &entry);
            return nullptr;
        }
        entry.lastUse = ++cache.clock;
        return entry.image;
    }
    return nullptr;
}

void RememberSettledImage(const struct stat& st, SharedImage image) {
    if (image == nullptr) return;
    const Stamp stamp = StampOf(st);
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    Entry* slot = nullptr;
    for (Entry& entry : cache.entries)
        if (entry.image != nullptr && SameFile(entry.stamp, stamp)) slot = &entry;
    for (Entry& entry : cache.entries)
        if (slot == nullptr && entry.image == nullptr) slot = &entry;
    if (slot == nullptr) {
        slot = &cache.entries[0];
        for (Entry& entry : cache.entries)
            if (entry.lastUse < slot->lastUse) slot = &entry;
    }
    Drop(&cache, slot);
    slot->stamp = stamp;
    slot->image = std::move(image);
    slot->lastUse = ++cache.clock;
    ++cache.kept;
}

bool AnySettledImage() { return TheCache().kept.load(std::memory_order_relaxed) != 0; }

std::shared_ptr<KS_U8> NewImageBuffer() {
    KS_U8* bytes = new (std::nothrow) KS_U8[kBinFileSize];
    if (bytes == nullptr) return nullptr;
    try {
        return std::shared_ptr<KS_U8>(bytes, [](KS_U8* p) { delete[] p; });
    } catch (const std::bad_alloc&) {
        return nullptr; /* the deleter has run */
    }
}
