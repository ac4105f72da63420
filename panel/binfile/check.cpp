/* The whole-file check: every byte of a bin file against the layout the
 * writer produces, the first fault reported by name. */
#include "panel/binfile/bin_file.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <initializer_list>
#include <memory>

#include "base/file_io.h"
#include "db/ks_db_records.h"
#include "panel/binfile/source.h"

namespace {

struct FreeBuffer {
    void operator()(KS_U8* bytes) const { free(bytes); }
};

bool ReadWhole(const char* path, KS_U8* image, BinStatus* status) {
    struct stat st;
    FileDescriptor file(OpenBinFile(path, &st, status));
    if (file.get() < 0) return false;
    if (st.st_size != static_cast<off_t>(kBinFileSize))
        return status->Fail(BinFault::kFileSize, "file is %lld bytes, expected %u",
                            static_cast<long long>(st.st_size), kBinFileSize);
    ssize_t done = ReadFullyAt(file.get(), image, kBinFileSize, 0);
    if (done < 0) return status->Fail(BinFault::kRead, "cannot read %s: %s", path, strerror(errno));
    if (done < static_cast<ssize_t>(kBinFileSize))
        return status->Fail(BinFault::kFileSize, "file shrank to %u bytes while it was read",
                            static_cast<KS_U32>(done));
    return true;
}

/* Walks one image; each step returns false after recording the fault. */
class Checker {
public:
    Checker(const KS_U8* image, BinCheck* result) : m_image(image), m_result(result) {}

    bool Run(const PanelGeneration* generation) {
        if (generation != nullptr) {
            m_result->generationKnown = true;
            m_result->generation = *generation;
        }
        KS_U32 headerKeys = 0, headerEnd = 0, bodyKeys = 0, bodyEnd = 0;
        return Header() && Table(BinLayout::kHeaderTableAt, kHeaderTable, BinFault::kNoHeaderTable,
                                 &headerKeys, &headerEnd) &&
               HeaderKey(headerKeys, headerEnd) &&
               Table(headerEnd, kBodyTable, BinFault::kNoBodyTable, &bodyKeys, &bodyEnd) &&
               Bodies(bodyKeys, bodyEnd) && Tail(bodyEnd);
    }

private:
    BinStatus& Status() { return m_result->status; }

    bool Header() {
        if (memcmp(m_image, "###", 3) != 0)
            return Status().Fail(BinFault::kMagic, "file does not start with \"###\"");
        if (m_image[3] != 0)
            return Status().Fail(BinFault::kMagic, "the fourth magic byte is 0x%02x, expected 0",
                                 m_image[3]);
        m_used = KS_DecodeU32(m_image + kDbTotalOffset);
        if (m_used > kBinFileSize)
            return Status().Fail(BinFault::kUsedSize, "bytes in use %u exceed %u", m_used,
                                 kBinFileSize);
        if (m_used < kDbHeaderSize)
            return Status().Fail(BinFault::kUsedSize,
                                 "bytes in use %u, less than the %u-byte header", m_used,
                                 kDbHeaderSize);
        return true;
    }

    /* The name at `at` is `expected`, zero after its end. */
    bool NameIs(KS_U32 at, const char* expected) const {
        size_t length = strlen(expected);
        return memcmp(m_image + at, expected, length) == 0 && m_image[at + length] == 0;
    }

    bool ZeroTail(KS_U32 at, const char* what) {
        const KS_U8* name = m_image + at;
        const void* end = memchr(name, 0, kDbNameSize);
        if (end == nullptr)
            return Status().Fail(BinFault::kNameTail, "the name of %s at offset %u has no end",
                                 what, at);
        for (const KS_U8* p = static_cast<const KS_U8*>(end); p < name + kDbNameSize; ++p)
            if (*p != 0)
                return Status().Fail(BinFault::kNameTail,
                                     "the name of %s at offset %u is not zero after its end", what,
                                     at);
        return true;
    }

    /* The table record at `at`, named `name`: its keys are [*keys, *end). */
    bool Table(KS_U32 at, const char* name, BinFault missing, KS_U32* keys, KS_U32* end) {
        if (at == m_used)
            return Status().Fail(missing, "no table \"%s\": the used region ends at %u", name,
                                 m_used);
        if (m_used - at < kDbRecordHeaderSize)
            return Status().Fail(BinFault::kTableBounds,
                                 "table record at offset %u runs past the end of the used "
                                 "region at %u",
                                 at, m_used);
        DbRecord table;
        DbDecodeRecord(m_image + at, at, &table);
        if (!NameIs(at, name))
            return Status().Fail(missing, "no table \"%s\": the table at offset %u is named \"%s\"",
                                 name, at, table.name);
        if (!ZeroTail(at, name)) return false;
        if (table.size > m_used - table.body)
            return Status().Fail(BinFault::kTableBounds,
                                 "table %s at offset %u holds %u bytes, past the end of the used "
                                 "region at %u",
                                 name, at, table.size, m_used);
        *keys = table.body;
        *end = table.body + table.size;
        return true;
    }

    /* The key record at `at` fits in [at, end); *record is filled. */
    bool Key(KS_U32 at, KS_U32 end, const char* table, DbRecord* record) {
        if (end - at < kDbRecordHeaderSize)
            return Status().Fail(BinFault::kKeyBounds,
                                 "key record at offset %u runs past the end of table %s at %u", at,
                                 table, end);
        DbDecodeRecord(m_image + at, at, record);
        if (record->size > end - record->body)
            return Status().Fail(BinFault::kKeyBounds,
                                 "key %s at offset %u holds %u bytes, past the end of table %s at "
                                 "%u",
                                 record->name, at, record->size, table, end);
        return true;
    }

    bool HeaderKey(KS_U32 at, KS_U32 end) {
        if (at == end)
            return Status().Fail(BinFault::kNoHeaderKey, "no header key: table panelheader is empty");
        DbRecord key;
        if (!Key(at, end, kHeaderTable, &key)) return false;
        if (!NameIs(at, kHeaderKey))
            return Status().Fail(BinFault::kNoHeaderKey,
                                 "no header key: the key at offset %u is named \"%s\"", at,
                                 key.name);
        if (!ZeroTail(at, "key header")) return false;
        if (key.size != sizeof(KS_PANEL_HEADER_S))
            return Status().Fail(BinFault::kHeaderSize, "key header holds %u bytes, the header is %u",
                                 key.size, static_cast<KS_U32>(sizeof(KS_PANEL_HEADER_S)));
        if (key.body + key.size != end)
            return Status().Fail(BinFault::kExtraData,
                                 "table panelheader holds %u bytes after its key header",
                                 end - key.body - key.size);
        return true;
    }

    bool Bodies(KS_U32 at, KS_U32 end) {
        for (KS_U32 index = 0; at < end; ++index) {
            DbRecord key;
            if (!Key(at, end, kBodyTable, &key)) return false;
            KS_CHAR expected[32];
            PanelKeyName(index, expected);
            if (!NameIs(at, expected))
                return Status().Fail(BinFault::kKeyName,
                                     "key at offset %u is named \"%s\", expected \"%s\"", at,
                                     key.name, expected);
            if (!ZeroTail(at, expected) || !BodySizeIs(key)) return false;
            m_result->panels = index + 1;
            at = BinLayout(m_result->generation).KeyAt(index + 1);
        }
        return true;
    }

    bool BodySizeIs(const DbRecord& key) {
        if (!m_result->generationKnown) {
            for (PanelGeneration g : {PanelGeneration::kR100, PanelGeneration::kR120})
                if (key.size == BodySize(g)) {
                    m_result->generationKnown = true;
                    m_result->generation = g;
                }
            if (!m_result->generationKnown)
                return Status().Fail(BinFault::kPanelSize,
                                     "key %s holds %u bytes, neither the R100 (%u) nor the R120 "
                                     "(%u) panel size",
                                     key.name, key.size, BodySize(PanelGeneration::kR100),
                                     BodySize(PanelGeneration::kR120));
        }
        const KS_U32 size = BodySize(m_result->generation);
        if (key.size != size)
            return Status().Fail(BinFault::kPanelSize, "key %s holds %u bytes, the %s panel size is %u",
                                 key.name, key.size, GenerationName(m_result->generation), size);
        return true;
    }

    bool Tail(KS_U32 bodyEnd) {
        if (bodyEnd != m_used)
            return Status().Fail(BinFault::kExtraData,
                                 "%u bytes after table paneldatabody, up to the end of the used "
                                 "region at %u",
                                 m_used - bodyEnd, m_used);
        for (KS_U32 at = m_used; at < kBinFileSize; ++at)
            if (m_image[at] != 0)
                return Status().Fail(BinFault::kExtraData,
                                     "byte at offset %u is 0x%02x, after the used region that ends "
                                     "at %u",
                                     at, m_image[at], m_used);
        return true;
    }

    const KS_U8* m_image;
    BinCheck* m_result;
    KS_U32 m_used = 0;
};

}  // namespace

BinCheck CheckBinImage(const KS_U8* bytes, size_t size, const PanelGeneration* generation) {
    BinCheck result;
    if (bytes == nullptr && size != 0) {
        result.status.Fail(BinFault::kRead, "no image given");
    } else if (size != kBinFileSize) {
        result.status.Fail(BinFault::kFileSize, "file is %lld bytes, expected %u",
                           static_cast<long long>(size), kBinFileSize);
    } else {
        Checker(bytes, &result).Run(generation);
    }
    return result;
}

BinCheck CheckBinFile(const char* path, const PanelGeneration* generation) {
    BinCheck result;
    if (path == nullptr) {
        result.status.Fail(BinFault::kOpen, "no file name");
        return result;
    }
    std::unique_ptr<KS_U8, FreeBuffer> image(static_cast<KS_U8*>(malloc(kBinFileSize)));
    if (!image) {
        result.status.Fail(BinFault::kNoMemory, "no memory for the %u-byte image", kBinFileSize);
        return result;
    }
    if (!ReadWhole(path, image.get(), &result.status)) return result;
    return CheckBinImage(image.get(), kBinFileSize, generation);
}
