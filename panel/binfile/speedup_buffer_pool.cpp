/* A small pool of image buffers under one lock. */
#include "panel/binfile/speedup_buffer_pool.h"

#include <stdlib.h>
#include <string.h>

#include <mutex>

#include "panel/binfile/format.h"

namespace {

/* Two makes at once keep their buffers; a third, rare, allocates and frees
 * its own. At most 1.6 MB stay held. */
const int kKept = 2;

struct Kept {
    KS_U8* buffer;
    KS_U32 dirty;
};

struct Pool {
    std::mutex lock;
    int count = 0;
    Kept kept[kKept];
};

Pool& ThePool() {
    static Pool pool;
    return pool;
}

}  // namespace

KS_U8* TakeImageBuffer() {
    Kept taken = {nullptr, 0};
    {
        Pool& pool = ThePool();
        std::lock_guard<std::mutex> hold(pool.lock);
        if (pool.count > 0) taken = pool.kept[--pool.count];
    }
    if (taken.buffer == nullptr) return static_cast<KS_U8*>(calloc(kBinFileSize, 1));
    memset(taken.buffer, 0, taken.dirty);
    return taken.buffer;
}

void ReturnImageBuffer(KS_U8* buffer, KS_U32 dirty) {
    if (buffer == nullptr) return;
    if (dirty > kBinFileSize) dirty = kBinFileSize;
    {
        Pool& pool = ThePool();
        std::lock_guard<std::mutex> hold(pool.lock);
        if (pool.count < kKept) {
            pool.kept[pool.count++] = {buffer, dirty};
            return;
        }
    }
    free(buffer);
}
