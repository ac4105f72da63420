/* Panel bin files without a JVM: reading, checking and writing them.
 *
 * How a tool uses it: BinFileReader reader; reader.Open(path, GenerationOf(chip)),
 * then ReadHeader, CountPanels and ReadPanel(i, buffer of BodySize bytes);
 * after any false, reader.status() names the reason. CheckBinFile walks a
 * whole file and names its first fault. WriteBinFile builds a file from
 * records, byte-identical to makePanelBin's, through the same code.
 *
 * In memory: reader.OpenImage(bytes, size, generation), CheckBinImage and
 * BuildBinImage do the same over bytes a caller holds (a pipe or '-' read
 * once, an image bound for stdout); the file functions are these plus a
 * read or an atomic replacement (base/atomic_file.h). The format itself,
 * its names and sizes, is in panel/binfile/format.h.
 *
 * The library's own readers and writer go through this code too, so a file
 * that the tool calls sound reads the same from Java. Internal C++: the
 * shared library does not export it; tools link the object library. */
#ifndef PANEL_BINFILE_BIN_FILE_H
#define PANEL_BINFILE_BIN_FILE_H

#include <stddef.h>

#include <vector>

#include "include/ks_unf_panel.h"
#include "panel/binfile/format.h"
#include "panel/binfile/speedup_known_layouts.h"
#include "panel/model/generation.h"

class BinFileSource;

/* Reads what a lookup needs of one file, from the file, on every call:
 * the directory walk as far as the record asked for, then the record. A
 * file shorter than 819200 bytes reads as if padded with zero bytes, bytes
 * past 819200 are ignored. Lookups match the container's: the first record
 * whose name begins with the name asked for, which must then be that exact
 * name and hold a value of the expected size; every record is
 * bounds-checked. A panel of a file opened by name is first looked for
 * where the file's remembered layout puts it
 * (panel/binfile/speedup_known_layouts.h), which reads the same bytes with
 * a shorter walk. Not for use by two threads at once. */
class BinFileReader {
public:
    BinFileReader();
    ~BinFileReader();
    BinFileReader(const BinFileReader&) = delete;
    BinFileReader& operator=(const BinFileReader&) = delete;

    /* Opens the file and checks its magic and bytes in use. Only a regular
     * file opens; nothing else is waited on (kNotRegular). */
    bool Open(const char* path, PanelGeneration generation);
    /* The same over `size` bytes in memory, which must outlive the reader
     * (a pipe or '-' read once): a short image reads as zero-padded, as a
     * short file does, bytes past 819200 are ignored. */
    bool OpenImage(const KS_U8* bytes, size_t size, PanelGeneration generation);
    /* The 16-byte header record. */
    bool ReadHeader(KS_PANEL_HEADER_S* header);
    /* The body record of panel `index` (key "index<index>"): BodySize bytes
     * of the generation copied to `body`. */
    bool ReadPanel(KS_S32 index, void* body);
    /* The number of keys in the body table (0 for an empty table). */
    bool CountPanels(KS_U32* count);
    /* The value size of the first key in the body table, 0 for an empty
     * table: a file does not record its generation, but this size (476 or
     * 632) tells which one it was made for. */
    bool FirstPanelSize(KS_U32* size);

    /* Reads every panel by the walk alone, as a file without a remembered
     * layout reads: for comparing the two ways. */
    void UsePlainPathOnly() { m_plainOnly = true; }

    PanelGeneration generation() const { return m_generation; }
    const BinStatus& status() const { return m_status; }

private:
    bool FindValue(const char* table, const char* key, KS_U32 size, BinFault missing,
                   KS_U32* valueAt);
    bool FindBodyTable(KS_U32* begin, KS_U32* end);
    bool KeyHeader(KS_U32 at, KS_U32 end, bool withValue, const KS_U8** header);
    bool Ready();
    bool Start();
    bool Reset(PanelGeneration generation);

    /* The identity of a file opened by name, for the shortcut. */
    bool m_identified = false;
    bool m_plainOnly = false;
    BinFileIdentity m_identity;

    BinFileSource* m_source;
    PanelGeneration m_generation = PanelGeneration::kR100;
    KS_U32 m_used = 0;
    bool m_open = false;
    BinStatus m_status;
};

/* What CheckBinFile found. */
struct BinCheck {
    BinStatus status;
    bool generationKnown = false;
    PanelGeneration generation = PanelGeneration::kR100;
    KS_U32 panels = 0; /* body keys that passed before the first fault */
};

/* Walks the whole file and reports its first fault by name, stricter than
 * the readers: the file must be exactly 819200 bytes; the tables must be
 * "panelheader" with the one key "header" of 16 bytes, then "paneldatabody"
 * with keys index0, index1, ... in order, each holding one body record of
 * the generation; names zero-padded; every byte after the used region zero.
 * `generation` null: the generation is taken from the first body key. */
BinCheck CheckBinFile(const char* path, const PanelGeneration* generation);
/* The same check over `size` bytes in memory: kFileSize unless size is
 * 819200, otherwise exactly the faults CheckBinFile reports for a file of
 * these bytes (CheckBinFile reads the file whole, then calls this). */
BinCheck CheckBinImage(const KS_U8* bytes, size_t size, const PanelGeneration* generation);

/* Writes a panel bin file of `count` body records (BodySize(generation)
 * bytes each, one after another in `bodies`) with the image builder and the
 * whole-or-nothing file replacement of makePanelBin. False with the reason
 * in *status; the target is then as it was. */
bool WriteBinFile(const char* path, const KS_PANEL_HEADER_S& header, const void* bodies,
                  size_t count, PanelGeneration generation, BinStatus* status);

/* The image WriteBinFile would write, all 819200 bytes, into *image; a
 * failure (kTooManyPanels, kNoMemory, ...) leaves *image as it was. */
BinStatus BuildBinImage(const KS_PANEL_HEADER_S& header, const void* bodies, size_t count,
                        PanelGeneration generation, std::vector<KS_U8>* image);

#endif
