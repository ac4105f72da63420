/* The key and table container behind panel bin files.
 *
 * Everything is appended to one buffer of ksDBMaxSize bytes; lookups are
 * linear scans over the records in insertion order. A loaded image may come
 * from a damaged file, so every scan checks each record against the end of
 * its region before reading it. */
#include "db/ks_db.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>

/* Shared by every caller in the process; writers only ever store the one
 * size, so concurrent bin-file calls agree on it. */
static std::atomic<KS_U32> ksDBMaxSize{KS_DB_IMAGE_SIZE};
static const KS_CHAR g_DBCheck[4] = {'#', '#', '#', '\0'};

namespace {

const KS_U32 kHeaderSize = 8;        /* magic + total bytes in use */
const KS_U32 kNameSize = 32;
const KS_U32 kRecordHeaderSize = 36; /* name + size field */
const KS_U32 kTotalOffset = 4;

/* The image is little-endian whatever the host; x86 is, but say so. */
void StoreU32(KS_U8* at, KS_U32 value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<KS_U8>(value >> (8 * i));
}

KS_U32 LoadU32(const KS_U8* at) {
    return static_cast<KS_U32>(at[0]) | static_cast<KS_U32>(at[1]) << 8 |
           static_cast<KS_U32>(at[2]) << 16 | static_cast<KS_U32>(at[3]) << 24;
}

bool Fits(KS_U32 used, KS_U32 extra) {
    return static_cast<unsigned long long>(used) + extra <= ksDBMaxSize.load();
}

/* Only 31 bytes of a stored name count: a query of 32 or more characters can
 * never match, and a shorter one matches every name it is a prefix of. */
bool NameMatches(const KS_CHAR (&stored)[kNameSize], const KS_CHAR* query) {
    size_t length = strlen(query);
    return length < kNameSize && memcmp(stored, query, length) == 0;
}

struct Record {
    KS_CHAR name[kNameSize];
    KS_U32 size;
    KS_U8* body;
};

enum class ScanResult { kMissing, kFound, kFoundAtEnd };

/* Finds the first record in [begin, end) whose name starts with the query.
 * A record that runs past the region (a damaged image) ends the scan. */
ScanResult Scan(KS_U8* begin, KS_U8* end, const KS_CHAR* query, Record* found) {
    KS_U8* cursor = begin;
    while (cursor < end) {
        if (static_cast<size_t>(end - cursor) < kRecordHeaderSize) return ScanResult::kMissing;
        Record record;
        memcpy(record.name, cursor, kNameSize - 1);
        record.name[kNameSize - 1] = '\0';
        record.size = LoadU32(cursor + kNameSize);
        record.body = cursor + kRecordHeaderSize;
        if (record.size > static_cast<size_t>(end - record.body)) return ScanResult::kMissing;
        if (NameMatches(record.name, query)) {
            *found = record;
            return record.body < end ? ScanResult::kFound : ScanResult::kFoundAtEnd;
        }
        cursor = record.body + record.size;
    }
    return ScanResult::kMissing;
}

/* A match whose record has no body and closes the region is filled in but
 * reported as -1: callers have always treated it as absent. */
KS_S32 ResultOf(ScanResult scan) { return scan == ScanResult::kFound ? 0 : -1; }

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
    pstDB->u32DataLen = kHeaderSize;
    /* The stored total stays 0 until the first insertion writes it. */
    StoreU32(pstDB->pData + kTotalOffset, 0);
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
    pstDB->u32DataLen = LoadU32(pDBMem + kTotalOffset);
    if (pstDB->u32DataLen > ksDBMaxSize.load()) return -1;
    pstDB->pData = pDBMem;
    return 0;
}

KS_S32 KS_DB_InsertTable(KS_DB_S* pstDB, KS_DB_TABLE_S* pstTable) {
    if (pstDB == nullptr || pstTable == nullptr || pstDB->pData == nullptr) return -1;
    if (!Fits(pstDB->u32DataLen, kRecordHeaderSize)) return -1;
    pstTable->pstDB = pstDB;
    KS_U8* record = pstDB->pData + pstDB->u32DataLen;
    memcpy(record, pstTable->Name, kNameSize);
    pstTable->u32DataSize = 0;
    StoreU32(record + kNameSize, 0);
    pstDB->u32DataLen += kRecordHeaderSize;
    StoreU32(pstDB->pData + kTotalOffset, pstDB->u32DataLen);
    pstTable->pData = record + kRecordHeaderSize;
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
    if (pstDB->u32DataLen < kHeaderSize) return -1;
    Record record;
    ScanResult scan = Scan(pstDB->pData + kHeaderSize, pstDB->pData + pstDB->u32DataLen,
                           TableName, &record);
    if (scan == ScanResult::kMissing) return -1;
    pstTable->pstDB = pstDB;
    memcpy(pstTable->Name, record.name, kNameSize);
    pstTable->u32DataSize = record.size;
    pstTable->pData = record.body;
    return ResultOf(scan);
}

KS_S32 KS_DB_InsertKey(KS_DB_TABLE_S* pstTable, KS_DB_KEY_S* pstKey) {
    if (pstTable == nullptr || pstKey == nullptr || pstTable->pstDB == nullptr) return -1;
    KS_DB_S* db = pstTable->pstDB;
    if (!Fits(db->u32DataLen, pstKey->u32ValueSize) ||
        !Fits(db->u32DataLen + pstKey->u32ValueSize, kRecordHeaderSize))
        return -1;
    if (pstTable->pData == nullptr || db->pData == nullptr) return -1;
    if (pstKey->pValue == nullptr && pstKey->u32ValueSize != 0) return -1;
    /* Appending to a table that is not the last one would overwrite the
     * tables after it. */
    KS_U8* record = pstTable->pData + pstTable->u32DataSize;
    if (record != db->pData + db->u32DataLen) return -1;

    memcpy(record, pstKey->Name, kNameSize);
    StoreU32(record + kNameSize, pstKey->u32ValueSize);
    if (pstKey->u32ValueSize != 0)
        memcpy(record + kRecordHeaderSize, pstKey->pValue, pstKey->u32ValueSize);
    KS_U32 grown = kRecordHeaderSize + pstKey->u32ValueSize;
    pstTable->u32DataSize += grown;
    StoreU32(pstTable->pData - 4, pstTable->u32DataSize);
    db->u32DataLen += grown;
    StoreU32(db->pData + kTotalOffset, db->u32DataLen);
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
    Record record;
    ScanResult scan = Scan(begin, end, KeyName, &record);
    if (scan == ScanResult::kMissing) return -1;
    memcpy(pstKey->Name, record.name, kNameSize);
    pstKey->u32ValueSize = record.size;
    pstKey->pValue = record.body;
    return ResultOf(scan);
}
