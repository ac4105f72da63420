/* A container of named tables holding named keys with opaque values, kept in
 * one buffer whose image is stored unchanged (the panel bin file).
 *
 * Image: magic "###\0", total bytes in use (u32, header included), then
 * table records { name[32], size u32, key records } where each key record is
 * { name[32], value size u32, value }. Little-endian, no padding. */
#ifndef KS_DB_H
#define KS_DB_H

#include "ks_type.h"

typedef struct ksDB_S {
    KS_U32 u32DataLen; /* bytes in use, the 8-byte header included */
    KS_U8* pData;
} KS_DB_S;

typedef struct ksDB_TABLE_S {
    KS_DB_S* pstDB;
    KS_CHAR Name[32];
    KS_U32 u32DataSize; /* bytes of key records in the table */
    KS_U8* pData;       /* first key record, right after the stored size */
} KS_DB_TABLE_S;

typedef struct ksDB_KEY_S {
    KS_CHAR Name[32];
    KS_U32 u32ValueSize;
    void* pValue; /* caller's bytes on insert; inside the buffer after a lookup */
} KS_DB_KEY_S;

/* Size of every database buffer, and so of every panel bin file. */
#define KS_DB_IMAGE_SIZE 819200u

#ifdef __cplusplus
extern "C" {
#endif

void KS_DB_SetMaxDBSize(char* chipSeriesChar);
KS_S32 KS_DB_Create(KS_DB_S* pstDB);
KS_S32 KS_DB_Destroy(KS_DB_S* pstDB);
KS_S32 KS_DB_GetDBFromMem(KS_U8* pDBMem, KS_DB_S* pstDB);
KS_S32 KS_DB_InsertTable(KS_DB_S* pstDB, KS_DB_TABLE_S* pstTable);
KS_S32 KS_DB_DeleteTable(KS_DB_S* pstDB, KS_CHAR* TableName);
KS_S32 KS_DB_GetTableByName(KS_DB_S* pstDB, KS_CHAR* TableName, KS_DB_TABLE_S* pstTable);
KS_S32 KS_DB_InsertKey(KS_DB_TABLE_S* pstTable, KS_DB_KEY_S* pstKey);
KS_S32 KS_DB_DeleteKey(KS_DB_TABLE_S* pstTable, KS_CHAR* KeyName);
KS_S32 KS_DB_GetKeyByName(KS_DB_TABLE_S* pstTable, KS_CHAR* KeyName, KS_DB_KEY_S* pstKey);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif
