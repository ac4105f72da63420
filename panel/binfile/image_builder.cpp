/* Building a panel bin file image in the container and writing it out. */
#include "panel/binfile/image_builder.h"

#include <errno.h>
#include <string.h>

#include "db/ks_db_append.h"
#include "db/ks_db_records.h"
#include "panel/binfile/image_buffers.h"
#include "base/atomic_file.h"

namespace {

bool InsertTable(KS_DB_S* db, const char* name, KS_DB_TABLE_S* table) {
    memset(table, 0, sizeof *table);
    strncpy(table->Name, name, sizeof table->Name);
    return KS_DB_InsertTable(db, table) == 0;
}

}  // namespace

BinImageBuilder::~BinImageBuilder() { ReturnImageBuffer(m_db.pData, m_db.u32DataLen); }

bool BinImageBuilder::Begin(const KS_PANEL_HEADER_S& header, PanelGeneration generation) {
    BinStatus* status = &m_status;
    *status = BinStatus();
    m_generation = generation;
    m_bodySize = BodySize(generation);
    m_panels = 0;
    KS_DB_SetMaxDBSize(const_cast<char*>(GenerationName(generation)));
    /* The container's empty image, as KS_DB_Create makes it, in a kept
     * buffer: the magic with its zero byte, no bytes counted in use yet. */
    ReturnImageBuffer(m_db.pData, m_db.u32DataLen);
    m_db = {kDbHeaderSize, TakeImageBuffer()};
    if (m_db.pData == nullptr)
        return status->Fail(BinFault::kNoMemory, "no memory for the %u-byte image", kBinFileSize);
    memcpy(m_db.pData, "###", 4);
    KS_DB_TABLE_S headerTable;
    KS_DB_KEY_S key;
    memset(&key, 0, sizeof key);
    strncpy(key.Name, kHeaderKey, sizeof key.Name);
    key.u32ValueSize = sizeof header;
    key.pValue = const_cast<KS_PANEL_HEADER_S*>(&header);
    /* An empty image always has room for the kFixedPartSize bytes. */
    if (!InsertTable(&m_db, kHeaderTable, &headerTable) ||
        KS_DB_InsertKey(&headerTable, &key) != 0 || !InsertTable(&m_db, kBodyTable, &m_bodies))
        return status->Fail(BinFault::kNoMemory, "the header does not fit in the image");
    return true;
}

KS_U8* BinImageBuilder::AddPanel() {
    if (m_db.pData == nullptr) {
        m_status.Fail(BinFault::kWrite, "no image was built");
        return nullptr;
    }
    KS_CHAR name[32];
    PanelKeyName(m_panels, name);
    KS_U8* record = DbAppendKey(&m_bodies, name, m_bodySize);
    if (record == nullptr) {
        m_status.Fail(BinFault::kTooManyPanels,
                       "panel %u does not fit: a file holds at most %u panels of %u bytes",
                       m_panels, PanelCapacity(m_generation), m_bodySize);
        return nullptr;
    }
    ++m_panels;
    return record;
}

bool BinImageBuilder::WriteTo(const char* path) {
    /* The whole buffer: the used region, then the zero bytes the container
     * keeps after it, so it is the file as it must be written. */
    if (m_db.pData == nullptr) return m_status.Fail(BinFault::kWrite, "no image was built");
    if (ReplaceFileContents(path, m_db.pData, kBinFileSize)) return true;
    return m_status.Fail(BinFault::kWrite, "cannot write %s: %s", path, strerror(errno));
}
