/* Appending a key whose value the caller then writes in place, for the bin
 * file builder: a panel is converted straight into the image instead of
 * into a record that is then copied in. KS_DB_InsertKey is this plus the
 * copy. Internal C++. */
#ifndef DB_KS_DB_APPEND_H
#define DB_KS_DB_APPEND_H

#include "include/ks_db.h"

/* Appends to the table a key named `name` (32 bytes, copied as they are)
 * whose value is `size` bytes, and returns where the value goes inside the
 * buffer: bytes that are still zero, as KS_DB_Create left them. Null, with
 * nothing written, when the key does not fit or the table is not the last
 * one of its database. */
KS_U8* DbAppendKey(KS_DB_TABLE_S* table, const KS_CHAR* name, KS_U32 size);

#endif
