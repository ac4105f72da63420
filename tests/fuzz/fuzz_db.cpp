/* The key and table container driven by a byte-coded sequence of operations:
 * create, attach an image, insert a table, insert a key, look a table or a
 * key up, damage bytes of the buffer, destroy.
 *
 * Bytes beyond the used region are poisoned for AddressSanitizer after every
 * operation (and opened exactly as far as an insertion may write), so a
 * lookup in a damaged buffer that reads past the used region is a finding
 * even though the buffer itself goes on. Until the first damage or attach a
 * model of the tables and keys predicts every result, value and name.
 *
 * Runs work in one buffer that the harness keeps, prepared as KS_DB_Create
 * prepares one; the create operation itself runs at most once a run, since
 * every call allocates 819200 bytes. */
#include <sanitizer/asan_interface.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "include/ks_db.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

const size_t kImage = KS_DB_IMAGE_SIZE;
const size_t kRecordHeader = 36;
const size_t kSlots = 4;

enum Op { kCreate, kAttach, kInsertTable, kInsertKey, kGetTable, kGetKey, kDamage, kDestroy, kOps };

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    uint32_t Bytes(int n) {
        uint32_t value = 0;
        for (int i = 0; i < n; ++i) value = value << 8 | Byte();
        return value;
    }
    /* A name of 0 to 32 bytes, stored zero-padded in 33. */
    void Name(KS_CHAR (&name)[33]) {
        memset(name, 0, sizeof name);
        size_t length = Byte() % 33;
        for (size_t i = 0; i < length; ++i) name[i] = static_cast<KS_CHAR>(Byte());
    }
    const uint8_t* Rest(size_t* available) const {
        *available = m_at < m_size ? m_size - m_at : 0;
        return m_data + m_at;
    }
    void Skip(size_t n) { m_at += n; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

/* What the container holds while it can be predicted. */
struct ModelKey {
    std::string name; /* the 32 stored name bytes */
    std::vector<uint8_t> value;
};
struct ModelTable {
    std::string name;
    std::vector<ModelKey> keys;
};

/* A stored name matches a query it begins with; only 31 stored bytes count. */
bool Matches(const std::string& stored, const KS_CHAR* query) {
    size_t length = strlen(query);
    return length < 32 && memcmp(stored.data(), query, length) == 0;
}

class Harness {
public:
    Harness() : m_image(new KS_U8[kImage]), m_value(new KS_U8[kImage + 256]) {
        memset(m_value, 0x5A, kImage + 256);
    }

    void Run(const uint8_t* data, size_t size) {
        Begin();
        Input in(data, size);
        for (int step = 0; step < 64 && !in.Empty(); ++step) {
            Step(in);
            Poison();
        }
        End();
    }

private:
    /* The kept buffer as KS_DB_Create leaves one, without allocating. */
    void Begin() {
        ASAN_UNPOISON_MEMORY_REGION(m_image, kImage);
        memset(m_image, 0, m_dirty);
        memcpy(m_image, "###", 4);
        m_dirty = 8;
        m_db = {8, m_image};
        m_owned = false;
        m_created = false;
        Forget(true);
        Poison();
    }

    /* Everything the run allocated is freed before it ends: libFuzzer takes
     * more allocations than releases in a run for a leak. */
    void End() {
        if (m_owned) KS_DB_Destroy(&m_db);
        m_owned = false;
        std::vector<ModelTable>().swap(m_model);
        ASAN_UNPOISON_MEMORY_REGION(m_image, kImage);
    }

    /* Table descriptors are the caller's; none may outlive its buffer. */
    void Forget(bool trusted) {
        memset(m_tables, 0, sizeof m_tables);
        for (size_t k = 0; k < kSlots; ++k) m_handle[k] = Handle{-1, 0};
        m_model.clear();
        m_trusted = trusted;
    }

    void Poison() {
        if (m_db.pData == nullptr || m_db.u32DataLen > kImage) return;
        ASAN_UNPOISON_MEMORY_REGION(m_db.pData, m_db.u32DataLen);
        ASAN_POISON_MEMORY_REGION(m_db.pData + m_db.u32DataLen, kImage - m_db.u32DataLen);
    }

    /* Opens [from, from + n) of the current buffer, clipped to it. */
    void Open(size_t from, size_t n) {
        if (m_db.pData == nullptr || from >= kImage) return;
        if (n > kImage - from) n = kImage - from;
        ASAN_UNPOISON_MEMORY_REGION(m_db.pData + from, n);
        if (m_db.pData == m_image && from + n > m_dirty) m_dirty = from + n;
    }

    void Step(Input& in) {
        uint8_t op = in.Byte();
        size_t k = (op >> 4) % kSlots;
        switch (op % kOps) {
            case kCreate:
                Create();
                break;
            case kAttach:
                Attach();
                break;
            case kInsertTable:
                InsertTable(in, k);
                break;
            case kInsertKey:
                InsertKey(in, k);
                break;
            case kGetTable:
                GetTable(in, k);
                break;
            case kGetKey:
                GetKey(in, k);
                break;
            case kDamage:
                Damage(in);
                break;
            default:
                if (m_owned) {
                    FUZZ_CHECK(KS_DB_Destroy(&m_db) == 0 && m_db.pData == nullptr);
                    m_owned = false;
                    Forget(false);
                }
                break;
        }
    }

    /* Once a run: each creation allocates and clears 819200 bytes. */
    void Create() {
        if (m_created) return;
        m_created = true;
        if (m_owned) KS_DB_Destroy(&m_db);
        else m_db.pData = nullptr; /* the kept buffer is not the container's to free */
        FUZZ_CHECK(KS_DB_Create(&m_db) == 0);
        FUZZ_CHECK(m_db.u32DataLen == 8 && memcmp(m_db.pData, "###", 4) == 0);
        m_owned = true;
        Forget(true);
    }

    void Attach() {
        if (m_owned) KS_DB_Destroy(&m_db);
        m_owned = false;
        Forget(false);
        ASAN_UNPOISON_MEMORY_REGION(m_image, 8);
        KS_DB_S loaded = {0, nullptr};
        if (KS_DB_GetDBFromMem(m_image, &loaded) == 0) {
            FUZZ_CHECK(loaded.pData == m_image && loaded.u32DataLen <= kImage);
            m_db = loaded;
        } else {
            m_db = {0, nullptr};
        }
    }

    void InsertTable(Input& in, size_t k) {
        KS_CHAR name[33];
        in.Name(name);
        KS_U32 before = m_db.u32DataLen;
        Open(before, kRecordHeader);
        memcpy(m_tables[k].Name, name, 32);
        KS_S32 result = KS_DB_InsertTable(&m_db, &m_tables[k]);
        bool fits = m_db.pData != nullptr && before + kRecordHeader <= kImage;
        if (m_trusted) FUZZ_CHECK((result == 0) == fits);
        if (result != 0) return;
        FUZZ_CHECK(m_db.u32DataLen == before + kRecordHeader);
        if (m_trusted) {
            m_model.push_back(ModelTable{std::string(name, 32), {}});
            m_handle[k] = Handle{static_cast<int>(m_model.size()) - 1, 0};
        }
    }

    void InsertKey(Input& in, size_t k) {
        KS_DB_KEY_S key;
        memset(&key, 0, sizeof key);
        KS_CHAR name[33];
        in.Name(name);
        memcpy(key.Name, name, 32);
        key.u32ValueSize = ValueSize(in);
        size_t available = 0;
        const uint8_t* rest = in.Rest(&available);
        size_t taken = available < key.u32ValueSize ? available : key.u32ValueSize;
        memcpy(m_value, rest, taken);
        in.Skip(taken);
        key.pValue = m_value;

        KS_U32 before = m_db.u32DataLen;
        bool fits = m_trusted && KeyFits(k, key.u32ValueSize);
        Open(before, kRecordHeader + key.u32ValueSize);
        KS_S32 result = KS_DB_InsertKey(&m_tables[k], &key);
        if (m_trusted) FUZZ_CHECK((result == 0) == fits);
        if (result != 0) return;
        FUZZ_CHECK(m_db.u32DataLen == before + kRecordHeader + key.u32ValueSize);
        if (m_trusted) {
            m_model[static_cast<size_t>(m_handle[k].table)].keys.push_back(
                ModelKey{std::string(name, 32), std::vector<uint8_t>(m_value, m_value + key.u32ValueSize)});
            ++m_handle[k].keys;
        }
    }

    /* Small values mostly; some just around what still fits. */
    KS_U32 ValueSize(Input& in) {
        uint32_t code = in.Bytes(2);
        if (code < 0xFF00) return code % 1024;
        long long room = static_cast<long long>(kImage) - m_db.u32DataLen - kRecordHeader;
        long long size = room + static_cast<int>(code & 0xFF) - 128;
        return static_cast<KS_U32>(size < 0 ? 0 : size > static_cast<long long>(kImage) ? kImage : size);
    }

    /* A key goes only into the last table, through a descriptor that has
     * seen every key of it, and only while it fits. */
    bool KeyFits(size_t k, KS_U32 size) const {
        const Handle& h = m_handle[k];
        return h.table >= 0 && static_cast<size_t>(h.table) + 1 == m_model.size() &&
               h.keys == m_model.back().keys.size() &&
               static_cast<unsigned long long>(m_db.u32DataLen) + kRecordHeader + size <= kImage;
    }

    void GetTable(Input& in, size_t k) {
        KS_CHAR name[33];
        in.Name(name);
        KS_DB_TABLE_S found = m_tables[k];
        KS_S32 result = KS_DB_GetTableByName(&m_db, name, &found);
        bool filled = memcmp(&found, &m_tables[k], sizeof found) != 0;
        if (result == 0) {
            FUZZ_CHECK(found.pstDB == &m_db && Inside(found.pData, found.u32DataSize));
            FUZZ_CHECK(found.pData >= m_db.pData + 8 + kRecordHeader);
        }
        if (m_trusted) Predict(name, result, found);
        if (filled || result == 0) m_tables[k] = found;
        if (m_trusted && (filled || result == 0)) {
            int t = FirstTable(name);
            m_handle[k] = Handle{t, m_model[static_cast<size_t>(t)].keys.size()};
        }
    }

    void GetKey(Input& in, size_t k) {
        KS_CHAR name[33];
        in.Name(name);
        KS_DB_KEY_S found;
        memset(&found, 0, sizeof found);
        KS_S32 result = KS_DB_GetKeyByName(&m_tables[k], name, &found);
        if (result == 0) {
            const KS_U8* value = static_cast<const KS_U8*>(found.pValue);
            FUZZ_CHECK(Inside(value, found.u32ValueSize));
            FUZZ_CHECK(value >= m_tables[k].pData + kRecordHeader &&
                       value + found.u32ValueSize <= m_tables[k].pData + m_tables[k].u32DataSize);
        }
        if (!m_trusted) return;
        const Handle& h = m_handle[k];
        if (h.table < 0) {
            FUZZ_CHECK(result != 0);
            return;
        }
        const std::vector<ModelKey>& keys = m_model[static_cast<size_t>(h.table)].keys;
        size_t i = 0;
        while (i < h.keys && !Matches(keys[i].name, name)) ++i;
        if (i == h.keys) {
            FUZZ_CHECK(result != 0);
            return;
        }
        /* A match that is the last record of its region with no value
         * is filled in but reported missing. */
        bool atEnd = i + 1 == h.keys && keys[i].value.empty();
        FUZZ_CHECK((result == 0) == !atEnd);
        FUZZ_CHECK(memcmp(found.Name, keys[i].name.data(), 31) == 0 && found.Name[31] == 0);
        FUZZ_CHECK(found.u32ValueSize == keys[i].value.size());
        FUZZ_CHECK(keys[i].value.empty() ||
                   memcmp(found.pValue, keys[i].value.data(), keys[i].value.size()) == 0);
    }

    int FirstTable(const KS_CHAR* name) const {
        for (size_t t = 0; t < m_model.size(); ++t)
            if (Matches(m_model[t].name, name)) return static_cast<int>(t);
        return -1;
    }

    void Predict(const KS_CHAR* name, KS_S32 result, const KS_DB_TABLE_S& found) const {
        int t = FirstTable(name);
        if (t < 0) {
            FUZZ_CHECK(result != 0);
            return;
        }
        const ModelTable& table = m_model[static_cast<size_t>(t)];
        bool atEnd = static_cast<size_t>(t) + 1 == m_model.size() && table.keys.empty();
        FUZZ_CHECK((result == 0) == !atEnd);
        FUZZ_CHECK(memcmp(found.Name, table.name.data(), 31) == 0 && found.Name[31] == 0);
        size_t bytes = 0;
        for (const ModelKey& key : table.keys) bytes += kRecordHeader + key.value.size();
        FUZZ_CHECK(found.u32DataSize == bytes);
    }

    /* Damage: bytes of the input written anywhere into the buffer. */
    void Damage(Input& in) {
        size_t at = in.Bytes(3) % kImage;
        size_t n = in.Byte();
        if (m_db.pData == nullptr) return;
        Open(at, n);
        for (size_t i = 0; i < n && at + i < kImage; ++i) m_db.pData[at + i] = in.Byte();
        m_trusted = false;
    }

    bool Inside(const KS_U8* p, size_t n) const {
        const KS_U8* end = m_db.pData + m_db.u32DataLen;
        return p >= m_db.pData && p <= end && n <= static_cast<size_t>(end - p);
    }

    struct Handle {
        int table;   /* model index the descriptor refers to, -1 if none */
        size_t keys; /* keys of that table the descriptor has seen */
    };

    KS_U8* m_image;
    KS_U8* m_value;
    size_t m_dirty = kImage;
    KS_DB_S m_db = {0, nullptr};
    bool m_owned = false;
    bool m_created = false;
    KS_DB_TABLE_S m_tables[kSlots];
    Handle m_handle[kSlots];
    std::vector<ModelTable> m_model;
    bool m_trusted = true;
};

Harness* g_harness;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_harness = new Harness();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    g_harness->Run(data, size);
    return 0;
}
