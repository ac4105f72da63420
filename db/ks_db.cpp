/* The key and table container behind panel bin files.
 *
 * Everything is appended to one buffer of ksDBMaxSize bytes; lookups are
 * linear scans over the records in insertion order. A loaded image may come
 * from a damaged file, so every scan checks each record against the end of
 * its region before reading it. */
#include "include/ks_db.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>

#include "db/ks_db_records.h"
#include "base/ks_coding.h"

/* Shared by every caller in the process; writers only ever store the one
 * size, so concurrent bin-file calls agree on it. */
static std::atomic<KS_U32> ksDBMaxSize{KS_DB_IMAGE_SIZE};
static const KS_CHAR g_DBCheck[4] = {'#', '#', '#', '\0'};

namespace {

bool Fits(KS_U32 used, KS_U32 extra) {
    return static_cast<unsigned long long>(used) + extra <= ksDBMaxSize.load();
}

/* A match whose record has no body and closes the region is filled in but
 * reported as -1: callers have always treated it as absent. */
KS_S32 ResultOf(DbScan scan) { return scan == DbScan::kFound ? 0 : -1; }

bool Filled(DbScan scan) { return scan == DbScan::kFound || scan == DbScan::kFoundAtEnd; }

}  // namespace

void KS_DB_SetMaxDBSize(char* chipSeriesChar) {
    (void)chipSeriesChar; /* both generations share one file size */
    ksDBMaxSize.store(KS_DB_IMAGE_SIZE);
}

KS_S32 KS_DB_Create(KS_DB_S* pstDB) {
    if (pstDB == nullptr) return -1;
    free(pstDB->pData);
    pstDB->pData = static_cast<KS_U8*>(calloc(ksDBMaxSize.load(), 1));
    if (pstDB->pData == nullptr) return -1;
    memcpy(pstDB->pData, g_DBCheck, sizeof g_DBCheck);
    pstDB->u32DataLen = kDbHeaderSize;
    /* The stored total stays 0 until the first insertion writes it. */
    KS_EncodeU32(pstDB->pData + kDbTotalOffset, 0);
    return 0;
}

KS_S32 KS_DB_Destroy(KS_DB_S* pstDB) {
    if (pstDB == nullptr) return -1;
    free(pstDB->pData);
    pstDB->pData = nullptr;
    if (pstDB->u32DataLen > ksDBMaxSize.load()) return -1;
    pstDB->u32DataLen = 0;
    return 0;
}

KS_S32 KS_DB_GetDBFromMem(KS_U8* pDBMem, KS_DB_S* pstDB) {
    if (pDBMem == nullptr || pstDB == nullptr) return -1;
    /* The fourth magic byte is not compared: "###" decides. */
    if (memcmp(pDBMem, g_DBCheck, strlen(g_DBCheck)) != 0) return -1;
    pstDB->u32DataLen = KS_DecodeU32(pDBMem + kDbTotalOffset);
    if (pstDB->u32DataLen > ksDBMaxSize.load()) return -1;
    pstDB->pData = pDBMem;
    return 0;
}

KS_S32 KS_DB_InsertTable(KS_DB_S* pstDB, KS_DB_TABLE_S* pstTable) {
    if (pstDB == nullptr || pstTable == nullptr || pstDB->pData == nullptr) return -1;
    if (!Fits(pstDB->u32DataLen, kDbRecordHeaderSize)) return -1;
    pstTable->pstDB = pstDB;
    KS_U8* record = pstDB->pData + pstDB->u32DataLen;
    memcpy(record, pstTable->Name, kDbNameSize);
    pstTable->u32DataSize = 0;
    KS_EncodeU32(record + kDbNameSize, 0);
    pstDB->u32DataLen += kDbRecordHeaderSize;
    KS_EncodeU32(pstDB->pData + kDbTotalOffset, pstDB->u32DataLen);
    pstTable->pData = record + kDbRecordHeaderSize;
    return 0;
}

KS_S32 KS_DB_DeleteTable(KS_DB_S* pstDB, KS_CHAR* TableName) {
    (void)pstDB;
    (void)TableName;
    return -1; /* records are only ever appended */
}

KS_S32 KS_DB_GetTableByName(KS_DB_S* pstDB, KS_CHAR* TableName, KS_DB_TABLE_S* pstTable) {
    if (pstDB == nullptr || pstDB->pData == nullptr || TableName == nullptr ||
        pstTable == nullptr)
        return -1;
    if (pstDB->u32DataLen < kDbHeaderSize) return -1;
    DbMemorySource image{pstDB->pData};
    DbRecord record;
    DbScan scan = DbScanRecords(image, kDbHeaderSize, pstDB->u32DataLen, TableName, &record);
    if (!Filled(scan)) return -1;
    pstTable->pstDB = pstDB;
    memcpy(pstTable->Name, record.name, kDbNameSize);
    pstTable->u32DataSize = record.size;
    pstTable->pData = pstDB->pData + record.body;
    return ResultOf(scan);
}

/* Appends to the table a key named `name` (32 bytes, copied as they are)
 * whose value is `size` bytes, and returns where the value goes: bytes that
 * are still zero, as KS_DB_Create left them. Null, with nothing written,
 * when the key does not fit or the table is not the last one. */
static KS_U8* DbAppendKey(KS_DB_TABLE_S* table, const KS_CHAR* name, KS_U32 size) {
    if (table == nullptr || name == nullptr || table->pstDB == nullptr) return nullptr;
    KS_DB_S* db = table->pstDB;
    if (!Fits(db->u32DataLen, size) || !Fits(db->u32DataLen + size, kDbRecordHeaderSize))
        return nullptr;
    if (table->pData == nullptr || db->pData == nullptr) return nullptr;
    /* Appending to a table that is not the last one would overwrite the
     * tables after it. */
    KS_U8* record = table->pData + table->u32DataSize;
    if (record != db->pData + db->u32DataLen) return nullptr;

    memcpy(record, name, kDbNameSize);
    KS_EncodeU32(record + kDbNameSize, size);
    KS_U32 grown = kDbRecordHeaderSize + size;
    table->u32DataSize += grown;
    KS_EncodeU32(table->pData - 4, table->u32DataSize);
    db->u32DataLen += grown;
    KS_EncodeU32(db->pData + kDbTotalOffset, db->u32DataLen);
    return record + kDbRecordHeaderSize;
}

KS_S32 KS_DB_InsertKey(KS_DB_TABLE_S* pstTable, KS_DB_KEY_S* pstKey) {
    if (pstTable == nullptr || pstKey == nullptr) return -1;
    if (pstKey->pValue == nullptr && pstKey->u32ValueSize != 0) return -1;
    KS_U8* value = DbAppendKey(pstTable, pstKey->Name, pstKey->u32ValueSize);
    if (value == nullptr) return -1;
    if (pstKey->u32ValueSize != 0) memcpy(value, pstKey->pValue, pstKey->u32ValueSize);
    return 0;
}

KS_S32 KS_DB_DeleteKey(KS_DB_TABLE_S* pstTable, KS_CHAR* KeyName) {
    (void)pstTable;
    (void)KeyName;
    return -1; /* records are only ever appended */
}

KS_S32 KS_DB_GetKeyByName(KS_DB_TABLE_S* pstTable, KS_CHAR* KeyName, KS_DB_KEY_S* pstKey) {
    if (pstTable == nullptr || pstTable->pData == nullptr || KeyName == nullptr ||
        pstKey == nullptr)
        return -1;
    KS_U8* begin = pstTable->pData;
    KS_U8* end = begin + pstTable->u32DataSize;
    /* A table read from a file must not claim keys beyond the used region. */
    const KS_DB_S* db = pstTable->pstDB;
    if (db != nullptr && db->pData != nullptr &&
        (begin < db->pData || end > db->pData + db->u32DataLen))
        return -1;
    DbMemorySource keys{begin};
    DbRecord record;
    DbScan scan = DbScanRecords(keys, 0, pstTable->u32DataSize, KeyName, &record);
    if (!Filled(scan)) return -1;
    memcpy(pstKey->Name, record.name, kDbNameSize);
    pstKey->u32ValueSize = record.size;
    pstKey->pValue = begin + record.body;
    return ResultOf(scan);
}
