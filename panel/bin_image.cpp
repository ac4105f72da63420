/* Loading a panel bin file and finding its records, trusting nothing in it. */
#include "panel/bin_image.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

/* Reads up to `size` bytes; a short file is fine, a read error is not. */
bool ReadPrefix(const char* path, KS_U8* buffer, size_t size) {
    FILE* file = fopen(path, "rb");
    if (file == nullptr) return false;
    size_t total = 0;
    while (total < size) {
        size_t got = fread(buffer + total, 1, size - total, file);
        if (got == 0) break;
        total += got;
    }
    bool failed = ferror(file) != 0;
    return fclose(file) == 0 && !failed;
}

/* The container matches by prefix; a record of the file is only ours under
 * its exact name (a damaged file may hold index10 before index1). */
bool SameName(const KS_CHAR (&stored)[32], const char* name) {
    return strncmp(stored, name, sizeof stored) == 0;
}

}  // namespace

BinImage::~BinImage() { free(m_data); }

bool BinImage::Load(const char* path) {
    if (path == nullptr || m_data != nullptr) return false;
    m_data = static_cast<KS_U8*>(calloc(KS_DB_IMAGE_SIZE, 1));
    if (m_data == nullptr) return false;
    return ReadPrefix(path, m_data, KS_DB_IMAGE_SIZE) && KS_DB_GetDBFromMem(m_data, &m_db) == 0;
}

const KS_U8* BinImage::Find(const char* table, const char* key, KS_U32 size) {
    if (m_db.pData == nullptr) return nullptr;
    KS_DB_TABLE_S foundTable;
    memset(&foundTable, 0, sizeof foundTable);
    if (KS_DB_GetTableByName(&m_db, const_cast<KS_CHAR*>(table), &foundTable) != 0 ||
        !SameName(foundTable.Name, table))
        return nullptr;
    KS_DB_KEY_S foundKey;
    memset(&foundKey, 0, sizeof foundKey);
    if (KS_DB_GetKeyByName(&foundTable, const_cast<KS_CHAR*>(key), &foundKey) != 0 ||
        !SameName(foundKey.Name, key) || foundKey.u32ValueSize != size)
        return nullptr;
    const KS_U8* value = static_cast<const KS_U8*>(foundKey.pValue);
    const KS_U8* end = m_data + m_db.u32DataLen;
    if (value < m_data || value > end || static_cast<size_t>(end - value) < size) return nullptr;
    return value;
}
