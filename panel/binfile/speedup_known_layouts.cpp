/* The layouts of recently read files: a handful of entries under one lock,
 * and the two ways of reading by them. */
#include "panel/binfile/speedup_known_layouts.h"

#include <string.h>

#include <mutex>

#include "panel/binfile/source.h"

namespace {

/* A GUI has one file open at a time, a tool compares two; a few more cost
 * nothing and spare a walk when the user goes back and forth. */
const int kEntries = 4;

/* What a walk found out about one file. */
struct KnownLayout {
    bool exact = false; /* the writer's layout: the panels lie where it puts them */
    KS_U32 panels = 0;  /* keys index0 .. index<panels - 1>, when exact */
};

struct Entry {
    bool used = false;
    unsigned long long lastUse = 0;
    BinFileIdentity identity;
    KnownLayout layout;
};

struct Memo {
    std::mutex lock;
    unsigned long long clock = 0;
    Entry entries[kEntries];

    Entry* Find(const BinFileIdentity& identity) {
        for (Entry& entry : entries)
            if (entry.used && entry.identity == identity) return &entry;
        return nullptr;
    }
};

Memo& TheMemo() {
    static Memo memo;
    return memo;
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool Find(const BinFileIdentity& identity, KnownLayout* layout) {
    Memo& memo = TheMemo();
    std::lock_guard<std::mutex> hold(memo.lock);
    Entry* entry = memo.Find(identity);
    if (entry == nullptr) return false;
    entry->lastUse = ++memo.clock;
    *layout = entry->layout;
    return true;
}

void Remember(const BinFileIdentity& identity, const KnownLayout& layout) {
    Memo& memo = TheMemo();
    std::lock_guard<std::mutex> hold(memo.lock);
    Entry* entry = memo.Find(identity);
    if (entry == nullptr) {
        entry = &memo.entries[0];
        for (Entry& candidate : memo.entries) {
            if (!candidate.used) {
                entry = &candidate;
                break;
            }
            if (candidate.lastUse < entry->lastUse) entry = &candidate;
        }
    }
    entry->used = true;
    entry->lastUse = ++memo.clock;
    entry->identity = identity;
    entry->layout = layout;
}

void Forget(const BinFileIdentity& identity) {
    Memo& memo = TheMemo();
    std::lock_guard<std::mutex> hold(memo.lock);
    if (Entry* entry = memo.Find(identity)) entry->used = false;
}

/* Whether the directory is exactly the writer's, every key where BinLayout
 * puts it. Anything else, however slight, is read by the walk every time,
 * so a damaged file reads as it always did. False only when the file
 * cannot be read. */
bool Walk(BinFileSource* source, const BinFileIdentity& identity, KnownLayout* layout) {
    const BinLayout writers(identity.generation);
    KS_U32 panels = 0;
    *layout = KnownLayout();
    if (!writers.IsWritersFixedPart(identity.head, &panels)) return true;
    for (KS_U32 i = 0; i < panels; ++i) {
        const KS_U8* key = source->Bytes(writers.KeyAt(i), kDbRecordHeaderSize);
        if (key == nullptr) return false;
        if (!writers.IsPanelKey(key, i)) return true;
    }
    layout->exact = true;
    layout->panels = panels;
    return true;
}

}  // namespace

BinFileIdentity::BinFileIdentity(const struct stat& st, PanelGeneration generation_,
                                 const KS_U8* firstBytes)
    : device(st.st_dev), inode(st.st_ino), size(st.st_size), modified(st.st_mtim),
      changed(st.st_ctim), generation(generation_) {
    memcpy(head, firstBytes, sizeof head);
}

bool BinFileIdentity::operator==(const BinFileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           SameTime(modified, other.modified) && SameTime(changed, other.changed) &&
           generation == other.generation && memcmp(head, other.head, sizeof head) == 0;
}

Shortcut ReadPanelByKnownLayout(BinFileSource* source, const BinFileIdentity& identity,
                                KS_S32 index, void* body, BinStatus* status) {
    KnownLayout known;
    if (!Find(identity, &known)) {
        if (!Walk(source, identity, &known)) {
            /* The walk of the reader proper meets the same failure and says it. */
            *status = BinStatus();
            return Shortcut::kWalk;
        }
        Remember(identity, known);
    }
    if (!known.exact || index < 0 || static_cast<KS_U32>(index) >= known.panels)
        return Shortcut::kWalk;
    /* The key record and its value in one read, checked before use: the
     * file may have changed within one tick of its clock. */
    const BinLayout writers(identity.generation);
    const KS_U32 panel = static_cast<KS_U32>(index);
    static_assert(sizeof(KS_PANEL_DATA_BODY_S_R120) >= sizeof(KS_PANEL_DATA_BODY_S_R100), "");
    KS_U8 record[kDbRecordHeaderSize + sizeof(KS_PANEL_DATA_BODY_S_R120)];
    if (!source->ReadExact(writers.KeyAt(panel), writers.KeyRecordSize(), record))
        return Shortcut::kFailed;
    if (!writers.IsPanelKey(record, panel)) {
        Forget(identity);
        return Shortcut::kWalk;
    }
    memcpy(body, record + kDbRecordHeaderSize, writers.bodySize());
    return Shortcut::kRead;
}
