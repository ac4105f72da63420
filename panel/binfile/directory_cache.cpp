/* The readers' memory of recently walked files: a handful of entries under
 * one lock. */
#include "panel/binfile/directory_cache.h"

#include <string.h>

#include <mutex>

namespace {

/* A GUI has one file open at a time, a tool compares two; a few more cost
 * nothing and spare a walk when the user goes back and forth. */
const int kEntries = 4;

struct Entry {
    bool used = false;
    unsigned long long lastUse = 0;
    BinFileIdentity identity;
    BinFileLayout layout;
};

struct Cache {
    std::mutex lock;
    unsigned long long clock = 0;
    Entry entries[kEntries];

    Entry* Find(const BinFileIdentity& identity) {
        for (Entry& entry : entries)
            if (entry.used && entry.identity == identity) return &entry;
        return nullptr;
    }
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

}  // namespace

BinFileIdentity::BinFileIdentity(const struct stat& st, PanelGeneration generation_,
                                 const KS_U8* firstBytes)
    : stamp(st), generation(generation_) {
    memcpy(head, firstBytes, sizeof head);
}

bool BinFileIdentity::operator==(const BinFileIdentity& other) const {
    return stamp == other.stamp && generation == other.generation &&
           memcmp(head, other.head, sizeof head) == 0;
}

bool FindBinFileLayout(const BinFileIdentity& identity, BinFileLayout* layout) {
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    Entry* entry = cache.Find(identity);
    if (entry == nullptr) return false;
    entry->lastUse = ++cache.clock;
    *layout = entry->layout;
    return true;
}

void RememberBinFileLayout(const BinFileIdentity& identity, const BinFileLayout& layout) {
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    Entry* entry = cache.Find(identity);
    if (entry == nullptr) {
        entry = &cache.entries[0];
        for (Entry& candidate : cache.entries) {
            if (!candidate.used) {
                entry = &candidate;
                break;
            }
            if (candidate.lastUse < entry->lastUse) entry = &candidate;
        }
    }
    entry->used = true;
    entry->lastUse = ++cache.clock;
    entry->identity = identity;
    entry->layout = layout;
}

void ForgetBinFileLayout(const BinFileIdentity& identity) {
    Cache& cache = TheCache();
    std::lock_guard<std::mutex> hold(cache.lock);
    if (Entry* entry = cache.Find(identity)) entry->used = false;
}
