/* Speed-up for a GUI that reads a whole file one call at a time (the
 * header, then every panel): the layouts of recently read files, so that a
 * panel is read straight from where the writer puts it instead of walking
 * the key directory up to it, which makes reading a whole file cost the
 * square of its panels.
 *
 * What is remembered, for a few files, is that a file's key directory is
 * exactly the writer's (BinLayout, panel/binfile/format.h) and how many
 * panels it holds, under the file's identity: what fstat says of it
 * (device, inode, size, modification and change times), the generation,
 * and its fixed part, which every open reads from the file afresh. A
 * remembered layout is only a guess where to look: every read checks, in
 * the file, that the key record there is the one the walk would find, and
 * walks otherwise. Safe from many threads. */
#ifndef PANEL_BINFILE_SPEEDUP_KNOWN_LAYOUTS_H
#define PANEL_BINFILE_SPEEDUP_KNOWN_LAYOUTS_H

#include <sys/stat.h>

#include "panel/binfile/format.h"

class BinFileSource;

/* One file as far as the shortcut can tell it from others. */
struct BinFileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified = {};
    struct timespec changed = {};
    PanelGeneration generation = PanelGeneration::kR100;
    KS_U8 head[BinLayout::kFixedPartSize] = {};

    BinFileIdentity() = default;
    /* The identity of an open file whose fixed part is `head`. */
    BinFileIdentity(const struct stat& st, PanelGeneration generation, const KS_U8* head);
    bool operator==(const BinFileIdentity& other) const;
};

/* How the shortcut ended. */
enum class Shortcut {
    kRead,   /* the panel is copied */
    kWalk,   /* not known where it lies: the reader walks the directory */
    kFailed, /* the file could not be read: the reason is in the status */
};

/* Panel `index` of the file that `source` reads and `identity` names, by
 * its remembered layout; the first read of a file walks its directory
 * once to learn it. */
Shortcut ReadPanelByKnownLayout(BinFileSource* source, const BinFileIdentity& identity,
                                KS_S32 index, void* body, BinStatus* status);

#endif
