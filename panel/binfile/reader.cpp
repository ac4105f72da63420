/* Lookups in a bin file: open it, check its first bytes, walk the
 * directory as far as the record asked for, read the record. */
#include "panel/binfile/bin_file.h"

#include <string.h>

#include <new>

#include "db/ks_db_records.h"
#include "panel/binfile/source.h"

namespace {

/* The container matches by prefix; a record of the file is only ours under
 * its exact name (a damaged file may hold index10 before index1). */
bool SameName(const DbRecord& record, const char* name) {
    return strncmp(record.name, name, sizeof record.name) == 0;
}

/* How a table or key lookup ended, in the terms the caller reports. */
enum class Lookup { kFound, kEmpty, kFailed };

}  // namespace

BinFileReader::BinFileReader() : m_source(nullptr) {}

BinFileReader::~BinFileReader() { delete m_source; }

/* Forgets the file before, for one of the generation; a fresh source. */
bool BinFileReader::Reset(PanelGeneration generation) {
    m_status = BinStatus();
    m_generation = generation;
    m_used = 0;
    m_open = false;
    m_identified = false;
    delete m_source;
    m_source = new (std::nothrow) BinFileSource;
    if (m_source == nullptr) return m_status.Fail(BinFault::kNoMemory, "no memory for a reader");
    return true;
}

bool BinFileReader::Open(const char* path, PanelGeneration generation) {
    if (!Reset(generation) || !m_source->Open(path, &m_status) || !Start()) return false;
    /* Open read the fixed part: it is in the window. */
    m_identity = BinFileIdentity(*m_source->FileStat(), generation,
                                 m_source->Bytes(0, BinLayout::kFixedPartSize));
    m_identified = true;
    return true;
}

bool BinFileReader::OpenImage(const KS_U8* bytes, size_t size, PanelGeneration generation) {
    return Reset(generation) && m_source->OpenImage(bytes, size, &m_status) && Start();
}

/* The magic and the bytes in use, checked once per file or image. */
bool BinFileReader::Start() {
    const KS_U8* head = m_source->Bytes(0, kDbHeaderSize);
    if (head == nullptr) return false;
    /* The fourth magic byte is not compared: "###" decides. */
    if (memcmp(head, "###", 3) != 0)
        return m_status.Fail(BinFault::kMagic, "file does not start with \"###\"");
    m_used = KS_DecodeU32(head + kDbTotalOffset);
    if (m_used > kBinFileSize)
        return m_status.Fail(BinFault::kUsedSize, "bytes in use %u exceed %u", m_used,
                             kBinFileSize);
    if (m_used < kDbHeaderSize)
        return m_status.Fail(BinFault::kUsedSize, "bytes in use %u, less than the %u-byte header",
                             m_used, kDbHeaderSize);
    m_open = true;
    return true;
}

/* Each lookup starts afresh: a key that was missing says nothing about the
 * next one. */
bool BinFileReader::Ready() {
    if (!m_open) {
        if (m_status.ok()) m_status.Fail(BinFault::kOpen, "no file is open");
        return false;
    }
    m_status = BinStatus();
    return true;
}

/* Table `name`: its key records are [*begin, *end). */
static Lookup FindTable(BinFileSource* source, KS_U32 used, const char* name, BinFault missing,
                        BinStatus* status, KS_U32* begin, KS_U32* end) {
    DbRecord table;
    switch (DbScanRecords(*source, kDbHeaderSize, used, name, &table)) {
        case DbScan::kFound:
            if (!SameName(table, name)) break;
            *begin = table.body;
            *end = table.body + table.size;
            return Lookup::kFound;
        case DbScan::kFoundAtEnd:
            if (!SameName(table, name)) break;
            return Lookup::kEmpty;
        case DbScan::kBroken:
            status->Fail(BinFault::kTableBounds,
                         "table record at offset %u (\"%s\", %u bytes) runs past the end of the "
                         "used region at %u",
                         table.at, table.name, table.size, used);
            return Lookup::kFailed;
        case DbScan::kUnreadable:
            return Lookup::kFailed;
        case DbScan::kMissing:
            status->Fail(missing, "no table \"%s\"", name);
            return Lookup::kFailed;
    }
    status->Fail(missing, "no table \"%s\": the first table named like it is \"%s\"", name,
                 table.name);
    return Lookup::kFailed;
}

bool BinFileReader::FindBodyTable(KS_U32* begin, KS_U32* end) {
    if (!Ready()) return false;
    Lookup found = FindTable(m_source, m_used, kBodyTable, BinFault::kNoBodyTable, &m_status,
                             begin, end);
    if (found == Lookup::kEmpty) *begin = *end = m_used;
    return found != Lookup::kFailed;
}

/* A value found by exact name and size; its offset in *valueAt. */
bool BinFileReader::FindValue(const char* tableName, const char* key, KS_U32 size,
                              BinFault missing, KS_U32* valueAt) {
    if (!Ready()) return false;
    const bool isBody = strcmp(tableName, kBodyTable) == 0;
    KS_U32 begin = 0, end = 0;
    switch (FindTable(m_source, m_used, tableName,
                      isBody ? BinFault::kNoBodyTable : BinFault::kNoHeaderTable, &m_status,
                      &begin, &end)) {
        case Lookup::kFound:
            break;
        case Lookup::kEmpty:
            return m_status.Fail(missing, "no key \"%s\": table \"%s\" is empty", key, tableName);
        case Lookup::kFailed:
            return false;
    }
    DbRecord record;
    DbScan scan = DbScanRecords(*m_source, begin, end, key, &record);
    if (scan == DbScan::kUnreadable) return false;
    if (scan == DbScan::kBroken)
        return m_status.Fail(BinFault::kKeyBounds,
                             "key record at offset %u (\"%s\", %u bytes) runs past the end of "
                             "table \"%s\" at %u",
                             record.at, record.name, record.size, tableName, end);
    if (scan == DbScan::kMissing)
        return m_status.Fail(missing, "no key \"%s\" in table \"%s\"", key, tableName);
    if (!SameName(record, key))
        return m_status.Fail(missing,
                             "no key \"%s\": the first key named like it is \"%s\" at offset %u",
                             key, record.name, record.at);
    if (record.size != size) {
        if (isBody)
            return m_status.Fail(BinFault::kPanelSize, "key %s holds %u bytes, the %s panel size is %u",
                                 key, record.size, GenerationName(m_generation), size);
        return m_status.Fail(BinFault::kHeaderSize, "key %s holds %u bytes, the header is %u", key,
                             record.size, size);
    }
    *valueAt = record.body;
    return true;
}

bool BinFileReader::ReadHeader(KS_PANEL_HEADER_S* header) {
    if (header == nullptr) return m_status.Fail(BinFault::kRead, "no room given for the header");
    KS_U32 at = 0;
    return FindValue(kHeaderTable, kHeaderKey, sizeof *header, BinFault::kNoHeaderKey, &at) &&
           m_source->Copy(at, sizeof *header, header);
}

bool BinFileReader::ReadPanel(KS_S32 index, void* body) {
    if (body == nullptr) return m_status.Fail(BinFault::kRead, "no room given for the panel");
    if (!Ready()) return false;
    if (m_identified && !m_plainOnly) {
        switch (ReadPanelByKnownLayout(m_source, m_identity, index, body, &m_status)) {
            case Shortcut::kRead:
                return true;
            case Shortcut::kFailed:
                return false;
            case Shortcut::kWalk:
                break;
        }
    }
    KS_CHAR key[kDbNameSize];
    PanelKeyName(index, key);
    KS_U32 at = 0;
    const KS_U32 size = BodySize(m_generation);
    return FindValue(kBodyTable, key, size, BinFault::kNoPanel, &at) &&
           m_source->Copy(at, size, body);
}

/* The header of the key record at `at` in the body table ending at `end`;
 * false with the reason when it cannot be read or does not fit there, or,
 * `withValue`, when its value does not. */
bool BinFileReader::KeyHeader(KS_U32 at, KS_U32 end, bool withValue, const KS_U8** header) {
    *header = end - at < kDbRecordHeaderSize ? nullptr : m_source->Bytes(at, kDbRecordHeaderSize);
    if (*header == nullptr && !m_status.ok()) return false;
    if (*header == nullptr ||
        (withValue && KS_DecodeU32(*header + kDbNameSize) > end - at - kDbRecordHeaderSize))
        return m_status.Fail(BinFault::kKeyBounds,
                             "key record at offset %u runs past the end of table \"%s\" at %u",
                             at, kBodyTable, end);
    return true;
}

bool BinFileReader::CountPanels(KS_U32* count) {
    if (count == nullptr) return m_status.Fail(BinFault::kRead, "no room given for the count");
    KS_U32 begin = 0, end = 0;
    if (!FindBodyTable(&begin, &end)) return false;
    KS_U32 keys = 0;
    for (KS_U32 at = begin; at < end; ++keys) {
        const KS_U8* header = nullptr;
        if (!KeyHeader(at, end, true, &header)) return false;
        at += kDbRecordHeaderSize + KS_DecodeU32(header + kDbNameSize);
    }
    *count = keys;
    return true;
}

bool BinFileReader::FirstPanelSize(KS_U32* size) {
    if (size == nullptr) return m_status.Fail(BinFault::kRead, "no room given for the size");
    KS_U32 begin = 0, end = 0;
    if (!FindBodyTable(&begin, &end)) return false;
    const KS_U8* header = nullptr;
    if (begin != end && !KeyHeader(begin, end, false, &header)) return false;
    *size = header == nullptr ? 0 : KS_DecodeU32(header + kDbNameSize);
    return true;
}
