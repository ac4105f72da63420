/* What the readers remember of the files they walked: whether a file,
 * known by its identity, holds exactly the writer's layout, and then how
 * many panels. A GUI opening a file reads its header and then every panel,
 * one call each; without this each call walks the directory again, so
 * reading a whole file costs the square of its panels.
 *
 * The identity is what fstat says (device, inode, size, modification and
 * change times) with the generation and the file's first kFixedPartSize
 * bytes, which hold the bytes in use and both table records. A file
 * rewritten in the same clock tick can keep all of it, so a reader still
 * checks the record it reads (panel/binfile/reader.cpp). A few files only,
 * the least recently used going first; safe from many threads. */
#ifndef PANEL_BINFILE_DIRECTORY_CACHE_H
#define PANEL_BINFILE_DIRECTORY_CACHE_H

#include <sys/stat.h>

#include "panel/binfile/file_stamp.h"
#include "panel/binfile/format.h"

struct BinFileIdentity {
    FileStamp stamp;
    PanelGeneration generation = PanelGeneration::kR100;
    KS_U8 head[kFixedPartSize] = {};

    /* The identity of an open file whose first bytes are `head`. */
    BinFileIdentity(const struct stat& st, PanelGeneration generation, const KS_U8* head);
    BinFileIdentity() = default;
    bool operator==(const BinFileIdentity& other) const;
};

/* What a walk found out about one file. */
struct BinFileLayout {
    bool exact = false; /* the writer's layout: the panels lie where it puts them */
    KS_U32 panels = 0;  /* keys index0 .. index<panels - 1>, when exact */
};

/* The layout remembered for `identity`; false when there is none. */
bool FindBinFileLayout(const BinFileIdentity& identity, BinFileLayout* layout);
/* Remembers what a walk found, forgetting the least recently used file
 * when full. */
void RememberBinFileLayout(const BinFileIdentity& identity, const BinFileLayout& layout);
/* Forgets `identity`: a record was not where its layout said. */
void ForgetBinFileLayout(const BinFileIdentity& identity);

#endif
