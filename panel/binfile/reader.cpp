/* Lookups in a bin file, reading only the directory as far as the walk
 * goes and then the one record. */
#include "panel/binfile/bin_file.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <new>

#include "base/SysCalls.h"
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

BinFileReader::BinFileReader() : m_source(nullptr) { m_name[0] = '\0'; }

BinFileReader::~BinFileReader() { delete m_source; }

/* Forgets the file before, for one of the generation; a fresh source. */
bool BinFileReader::Reset(PanelGeneration generation) {
    m_status = BinStatus();
    m_generation = generation;
    m_used = 0;
    m_open = false;
    m_cacheable = false;
    m_name[0] = '\0';
    delete m_source;
    m_image.reset();
    m_source = new (std::nothrow) BinFileSource;
    if (m_source == nullptr) return m_status.Fail(BinFault::kNoMemory, "no memory for a reader");
    return true;
}

bool BinFileReader::Open(const char* path, PanelGeneration generation) {
    if (!Reset(generation)) return false;
    if (OpenKept(path)) return Start();
    if (!m_source->Open(path, &m_status) || !Start()) return false;
    /* The name the image of the file is kept under, if it is read whole. */
    if (strlen(path) < sizeof m_name) strcpy(m_name, path);
    /* Open read the fixed part: it is in the window. */
    m_identity = BinFileIdentity(*m_source->FileStat(), generation,
                                 m_source->Bytes(0, kFixedPartSize));
    m_cacheable = true;
    return true;
}

/* The kept image of the file at `path` when the name's stat fields are the
 * image's: one system call where opening the file takes five. */
bool BinFileReader::OpenKept(const char* path) {
    if (path == nullptr || !IsKeptName(path)) return false;
    struct stat st;
    if (Sys().Stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    SharedImage image = FindSettledImage(path, st);
    if (image == nullptr || !UseImage(std::move(image))) return false;
    m_identity = BinFileIdentity(st, m_generation, m_image.get());
    m_cacheable = true;
    return true;
}

/* From now on the reader reads `image` (all kBinFileSize bytes). */
bool BinFileReader::UseImage(SharedImage image) {
    BinFileSource* source = new (std::nothrow) BinFileSource;
    if (source == nullptr) return false;
    /* An image of the full size is served in place: this cannot fail. */
    source->OpenImage(image.get(), kBinFileSize, &m_status);
    delete m_source;
    m_source = source;
    m_image = std::move(image);
    return true;
}

/* Reads the settled file whole and goes on from its image, which the next
 * readers of the file take instead of the file. With no memory for it, or
 * a read that fails, the file is read as before, and reports its own
 * failures. False when the bytes read whole no longer pass the checks of
 * Open: the file changed in between. */
bool BinFileReader::Keep(const char* path) {
    std::shared_ptr<KS_U8> bytes = NewImageBuffer();
    const struct stat st = *m_source->FileStat();
    if (bytes == nullptr || !m_source->ReadExact(0, kBinFileSize, bytes.get())) {
        m_status = BinStatus();
        return true;
    }
    if (!UseImage(bytes)) return true;
    m_open = false;
    if (!Start()) return false;
    m_identity = BinFileIdentity(st, m_generation, m_image.get());
    RememberSettledImage(path, st, m_image);
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
    if (m_cacheable && m_image == nullptr && m_name[0] != '\0' &&
        m_source->Settled() && !Keep(m_name))
        return false;
    BinFileLayout layout;
    if (KnownLayout(&layout) && layout.exact && index >= 0 &&
        static_cast<KS_U32>(index) < layout.panels) {
        if (ReadAtLayout(index, body)) return true;
        if (!m_status.ok()) return false;
        /* The file changed within one tick of its clock: walk it afresh. */
        ForgetBinFileLayout(m_identity);
    }
    KS_CHAR key[32];
    PanelKeyName(index, key);
    KS_U32 at = 0;
    const KS_U32 size = BodySize(m_generation);
    return FindValue(kBodyTable, key, size, BinFault::kNoPanel, &at) &&
           m_source->Copy(at, size, body);
}

/* What is known of this file's layout, walking it the first time. Only a
 * file opened by name has an identity; a walk that cannot read leaves
 * nothing remembered. */
bool BinFileReader::KnownLayout(BinFileLayout* layout) {
    if (!m_cacheable) return false;
    if (FindBinFileLayout(m_identity, layout)) return true;
    *layout = WalkLayout();
    if (!m_status.ok()) {
        m_status = BinStatus();
        return false;
    }
    RememberBinFileLayout(m_identity, *layout);
    return true;
}

/* Whether the directory is exactly the writer's: the fixed part as
 * BinImageBuilder makes it, then keys index0, index1, ... each holding one
 * record of the generation, ending where the bytes in use end. Anything
 * else, however slight, is read by the walk every time, so a damaged file
 * reads as it always did. */
BinFileLayout BinFileReader::WalkLayout() {
    BinFileLayout layout;
    const KS_U8* head = m_identity.head;
    const KS_U32 record = kKeyRecordOverhead + BodySize(m_generation);
    KS_CHAR name[kDbNameSize];
    const auto nameIs = [&name](const KS_U8* at, const char* expected) {
        memset(name, 0, sizeof name);
        strncpy(name, expected, sizeof name - 1);
        return memcmp(at, name, sizeof name) == 0;
    };
    const KS_U32 keys = m_used - kFixedPartSize;
    if (m_used < kFixedPartSize || head[3] != 0 || keys == 0 || keys % record != 0 ||
        !nameIs(head + kDbHeaderSize, kHeaderTable) ||
        KS_DecodeU32(head + kDbHeaderSize + kDbNameSize) !=
            kDbRecordHeaderSize + sizeof(KS_PANEL_HEADER_S) ||
        !nameIs(head + kDbHeaderSize + kDbRecordHeaderSize, kHeaderKey) ||
        KS_DecodeU32(head + kDbHeaderSize + kDbRecordHeaderSize + kDbNameSize) !=
            sizeof(KS_PANEL_HEADER_S) ||
        !nameIs(head + kFixedPartSize - kDbRecordHeaderSize, kBodyTable) ||
        KS_DecodeU32(head + kFixedPartSize - kDbRecordHeaderSize + kDbNameSize) != keys)
        return layout;
    const KS_U32 panels = keys / record;
    for (KS_U32 i = 0; i < panels; ++i) {
        const KS_U8* key = m_source->Bytes(kFixedPartSize + i * record, kDbRecordHeaderSize);
        if (key == nullptr) return layout;
        PanelKeyName(i, name);
        if (memcmp(key, name, sizeof name) != 0 ||
            KS_DecodeU32(key + kDbNameSize) != BodySize(m_generation))
            return layout;
    }
    layout.exact = true;
    layout.panels = panels;
    return layout;
}

/* Panel `index` where the writer's layout puts it, read in one go: true
 * with the record copied; false with the status clear when the key there
 * is not index<index> of the generation's size. */
bool BinFileReader::ReadAtLayout(KS_S32 index, void* body) {
    const KS_U32 size = BodySize(m_generation);
    const KS_U32 record = kKeyRecordOverhead + size;
    /* Room for the key record of either generation (R120's is the larger). */
    static_assert(sizeof(KS_PANEL_DATA_BODY_S_R120) >= sizeof(KS_PANEL_DATA_BODY_S_R100), "");
    KS_U8 bytes[kKeyRecordOverhead + sizeof(KS_PANEL_DATA_BODY_S_R120)];
    if (!m_source->ReadExact(kFixedPartSize + static_cast<KS_U32>(index) * record, record, bytes))
        return false;
    KS_CHAR key[kDbNameSize];
    PanelKeyName(index, key);
    if (memcmp(bytes, key, sizeof key) != 0 || KS_DecodeU32(bytes + kDbNameSize) != size)
        return false;
    memcpy(body, bytes + kKeyRecordOverhead, size);
    return true;
}

bool BinFileReader::CountPanels(KS_U32* count) {
    if (count == nullptr) return m_status.Fail(BinFault::kRead, "no room given for the count");
    KS_U32 begin = 0, end = 0;
    if (!FindBodyTable(&begin, &end)) return false;
    KS_U32 keys = 0;
    for (KS_U32 at = begin; at < end; ++keys) {
        const KS_U8* header =
            end - at < kDbRecordHeaderSize ? nullptr : m_source->Bytes(at, kDbRecordHeaderSize);
        if (header == nullptr && !m_status.ok()) return false;
        KS_U32 size = header == nullptr ? 0 : KS_DecodeU32(header + kDbNameSize);
        if (header == nullptr || size > end - at - kDbRecordHeaderSize)
            return m_status.Fail(BinFault::kKeyBounds,
                                 "key record at offset %u runs past the end of table \"%s\" at %u",
                                 at, kBodyTable, end);
        at += kDbRecordHeaderSize + size;
    }
    *count = keys;
    return true;
}

bool BinFileReader::FirstPanelSize(KS_U32* size) {
    if (size == nullptr) return m_status.Fail(BinFault::kRead, "no room given for the size");
    KS_U32 begin = 0, end = 0;
    if (!FindBodyTable(&begin, &end)) return false;
    if (begin == end) {
        *size = 0;
        return true;
    }
    const KS_U8* header =
        end - begin < kDbRecordHeaderSize ? nullptr : m_source->Bytes(begin, kDbRecordHeaderSize);
    if (header == nullptr && !m_status.ok()) return false;
    if (header == nullptr)
        return m_status.Fail(BinFault::kKeyBounds,
                             "key record at offset %u runs past the end of table \"%s\" at %u",
                             begin, kBodyTable, end);
    *size = KS_DecodeU32(header + kDbNameSize);
    return true;
}
