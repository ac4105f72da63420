/* The container's record format and its lookup scan, shared by the
 * in-memory container (db/ks_db.cpp) and the bin file reader, which walks
 * the same records straight from a file. One scan, so a damaged file is
 * judged alike whichever way it is read.
 *
 * Internal C++; offsets are those of the image (at most 819200). */
#ifndef DB_KS_DB_RECORDS_H
#define DB_KS_DB_RECORDS_H

#include <string.h>

#include "base/ks_coding.h"
#include "include/ks_type.h"

const KS_U32 kDbHeaderSize = 8; /* magic + total bytes in use */
const KS_U32 kDbTotalOffset = 4;
const KS_U32 kDbNameSize = 32;
const KS_U32 kDbRecordHeaderSize = 36; /* name + size field */

/* A table or key record as the scan sees it. */
struct DbRecord {
    KS_CHAR name[kDbNameSize]; /* the 31 significant bytes and a zero */
    KS_U32 size;               /* stored size of the body */
    KS_U32 at;                 /* offset of the record */
    KS_U32 body;               /* offset of its body, at + 36 */
};

enum class DbScan {
    kMissing,    /* no record's name begins with the query */
    kFound,      /* *found is the first record whose name does */
    kFoundAtEnd, /* found, but it has no body and closes the region: treated as absent */
    kBroken,     /* *found is a record that runs past the region; the scan stops there */
    kUnreadable, /* the source could not deliver a record */
};

/* Only 31 bytes of a stored name count: a query of 32 or more characters can
 * never match, and a shorter one matches every name it is a prefix of. */
inline bool DbNameStartsWith(const KS_U8* stored, const char* query, size_t queryLength) {
    if (queryLength >= kDbNameSize) return false;
    if (queryLength == 0) return true;
    /* Names of one table tend to share their start (index0, index1, ...):
     * the last byte rejects most of them without a full comparison. */
    return stored[queryLength - 1] == static_cast<KS_U8>(query[queryLength - 1]) &&
           memcmp(stored, query, queryLength - 1) == 0;
}

inline void DbDecodeRecord(const KS_U8* header, KS_U32 at, DbRecord* record) {
    memcpy(record->name, header, kDbNameSize - 1);
    record->name[kDbNameSize - 1] = '\0';
    record->size = KS_DecodeU32(header + kDbNameSize);
    record->at = at;
    record->body = at + kDbRecordHeaderSize;
}

/* Finds the first record in [begin, end) whose name begins with `query`,
 * in insertion order. A record whose header or body runs past `end` (a
 * damaged image) ends the scan as kBroken.
 *
 * `source.Bytes(offset, length)` returns the image's bytes [offset,
 * offset + length), or null when they cannot be read. */
template <typename Source>
DbScan DbScanRecords(Source& source, KS_U32 begin, KS_U32 end, const char* query,
                     DbRecord* found) {
    const size_t queryLength = strlen(query);
    KS_U32 at = begin;
    while (at < end) {
        if (end - at < kDbRecordHeaderSize) {
            found->at = at;
            found->size = 0;
            return DbScan::kBroken;
        }
        const KS_U8* header = source.Bytes(at, kDbRecordHeaderSize);
        if (header == nullptr) return DbScan::kUnreadable;
        const KS_U32 size = KS_DecodeU32(header + kDbNameSize);
        const KS_U32 body = at + kDbRecordHeaderSize;
        const bool matches = DbNameStartsWith(header, query, queryLength);
        if (matches || size > end - body) {
            DbDecodeRecord(header, at, found);
            if (size > end - body) return DbScan::kBroken;
            return body < end ? DbScan::kFound : DbScan::kFoundAtEnd;
        }
        at = body + size;
    }
    return DbScan::kMissing;
}

/* The image in memory as a source for DbScanRecords. */
struct DbMemorySource {
    const KS_U8* base;
    const KS_U8* Bytes(KS_U32 offset, KS_U32 length) const {
        (void)length;
        return base + offset;
    }
};

#endif
