/* The panel bin file format, the one place that describes it: the file
 * size, the table and key names, the rule for a panel's key name, where
 * each record lies (BinLayout); and the status every bin file operation
 * reports a failure with. */
#ifndef PANEL_BINFILE_FORMAT_H
#define PANEL_BINFILE_FORMAT_H

#include "db/ks_db_records.h"
#include "include/ks_db.h"
#include "include/ks_type.h"
#include "include/ks_unf_panel.h"
#include "panel/model/generation.h"

/* Size of every panel bin file: the container's image, whole. */
const KS_U32 kBinFileSize = KS_DB_IMAGE_SIZE;

/* The tables and keys of a file, in this order: table kHeaderTable with
 * the one key kHeaderKey (the 16-byte header), then table kBodyTable with
 * one key per panel, named by PanelKeyName. */
const char kHeaderTable[] = "panelheader";
const char kHeaderKey[] = "header";
const char kBodyTable[] = "paneldatabody";

/* The key of panel n: "index" and n in decimal, zero-padded to 32 bytes.
 * Keys go in ascending order, so a prefix lookup of index1 meets index1
 * before index10. */
void PanelKeyName(long long n, KS_CHAR (&name)[32]);

/* Where the writer puts every byte of a file of one generation: the one
 * description of the layout, which the builder writes by, and the
 * readers' shortcut and the check read by. Offsets are of the image; a
 * key record is the container's 36-byte header (name, value size) and
 * then its value.
 *
 *   0    the container's header: "###" and a zero byte, the bytes in use
 *   8    table record "panelheader", holding the one key record below
 *   44   key record "header", 16 bytes of value
 *   80   the header record
 *   96   table record "paneldatabody", holding the key records below
 *   132  key record of panel i at KeyAt(i): "index<i>", BodySize bytes
 *        of value; bytes in use end after the last; zero bytes follow. */
class BinLayout {
public:
    static constexpr KS_U32 kHeaderTableAt = kDbHeaderSize;
    static constexpr KS_U32 kHeaderKeyAt = kHeaderTableAt + kDbRecordHeaderSize;
    static constexpr KS_U32 kHeaderAt = kHeaderKeyAt + kDbRecordHeaderSize;
    static constexpr KS_U32 kBodyTableAt = kHeaderAt + sizeof(KS_PANEL_HEADER_S);
    /* Everything before the first panel: the fixed part. */
    static constexpr KS_U32 kFixedPartSize = kBodyTableAt + kDbRecordHeaderSize;

    explicit BinLayout(PanelGeneration generation) : m_bodySize(BodySize(generation)) {}

    KS_U32 bodySize() const { return m_bodySize; }
    KS_U32 KeyRecordSize() const { return kDbRecordHeaderSize + m_bodySize; }
    KS_U32 KeyAt(KS_U32 panel) const { return kFixedPartSize + panel * KeyRecordSize(); }
    KS_U32 BodyAt(KS_U32 panel) const { return KeyAt(panel) + kDbRecordHeaderSize; }
    /* The bytes in use with `panels` panels. */
    KS_U32 UsedSize(KS_U32 panels) const { return KeyAt(panels); }
    /* How many panels fit: 1599 R100, 1226 R120. */
    KS_U32 Capacity() const { return (kBinFileSize - kFixedPartSize) / KeyRecordSize(); }

    /* Writes the fixed part of a file without panels into `image`, whose
     * bytes are zero beforehand. */
    void WriteFixedPart(KS_U8* image, const KS_PANEL_HEADER_S& header) const;
    /* Writes panel i's key record header at KeyAt(i) into `image`, which
     * holds panels 0 to i - 1, and counts it in the bytes in use and the
     * body table's size; its value is left to the caller. */
    void AddPanelKey(KS_U8* image, KS_U32 panel) const;

    /* Whether the fixed part `head` (kFixedPartSize bytes) is exactly the
     * writer's, the header record aside; then *panels holds the panel count
     * that its bytes in use announce. */
    bool IsWritersFixedPart(const KS_U8* head, KS_U32* panels) const;
    /* Whether the key record header `key` is the writer's for panel i:
     * named index<i>, zero-padded, holding BodySize bytes. */
    bool IsPanelKey(const KS_U8* key, KS_U32 panel) const;

private:
    void SetPanelCount(KS_U8* image, KS_U32 panels) const;

    KS_U32 m_bodySize;
};

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
