/* The panel bin file format, the one place that names it: the file size,
 * the table and key names, the rule for a panel's key name, the sizes of
 * the fixed part and of a key record, the panel capacity; and the status
 * every bin file operation reports a failure with. */
#ifndef PANEL_BINFILE_FORMAT_H
#define PANEL_BINFILE_FORMAT_H

#include "include/ks_db.h"
#include "include/ks_type.h"
#include "panel/model/generation.h"

/* Size of every panel bin file: the container's image, whole. */
const KS_U32 kBinFileSize = KS_DB_IMAGE_SIZE;

/* The tables and keys of a file, in this order: table kHeaderTable with
 * the one key kHeaderKey (the 16-byte header), then table kBodyTable with
 * one key per panel, named by PanelKeyName. */
const char kHeaderTable[] = "panelheader";
const char kHeaderKey[] = "header";
const char kBodyTable[] = "paneldatabody";

/* What a file holds besides its panels' records: the container's 8-byte
 * header, the two table records, and the header key with its 16 bytes. */
const KS_U32 kFixedPartSize = 132;
/* What each key adds to its value: 32 bytes of name and a 4-byte size. */
const KS_U32 kKeyRecordOverhead = 36;

/* How many panels of a generation fit: 1599 R100, 1226 R120. */
KS_U32 PanelCapacity(PanelGeneration generation);

/* The key of panel n: "index" and n in decimal, zero-padded to 32 bytes.
 * Keys go in ascending order, so a prefix lookup of index1 meets index1
 * before index10. */
void PanelKeyName(long long n, KS_CHAR (&name)[32]);

/* Why an operation failed. Codes are stable; texts say it for a person. */
enum class BinFault : KS_U8 {
    kNone,
    kOpen,          /* the file cannot be opened (or created, for a write) */
    kRead,          /* reading failed */
    kWrite,         /* writing or replacing the file failed */
    kNoMemory,      /* a buffer could not be allocated */
    kFileSize,      /* the file is not 819200 bytes long (CheckBinFile only) */
    kMagic,         /* the file does not start with "###" and a zero byte */
    kUsedSize,      /* bytes in use below the 8-byte header or above 819200 */
    kTableBounds,   /* a table record runs past the used region */
    kKeyBounds,     /* a key record runs past its table */
    kNoHeaderTable, /* no table "panelheader" */
    kNoHeaderKey,   /* no key "header" in it */
    kHeaderSize,    /* the header key does not hold 16 bytes */
    kNoBodyTable,   /* no table "paneldatabody" */
    kNoPanel,       /* no key for the panel asked for */
    kPanelSize,     /* a body key does not hold a record of the generation */
    kKeyName,       /* a key is not where the layout puts it (CheckBinFile) */
    kExtraData,     /* tables, keys or bytes the layout does not have (CheckBinFile) */
    kNameTail,      /* a name is not zero after its end (CheckBinFile) */
    kTooManyPanels, /* more panels than fit in a file (WriteBinFile) */
    kNotRegular,    /* a FIFO, terminal, device or socket: never read, it could block */
};

struct BinStatus {
    BinFault fault = BinFault::kNone;
    char text[160] = "";

    bool ok() const { return fault == BinFault::kNone; }
    /* Records the fault and its text (printf-style); returns false so that a
     * failing step can `return status->Fail(...)`. */
    bool Fail(BinFault code, const char* format, ...) __attribute__((format(printf, 3, 4)));
};

#endif
