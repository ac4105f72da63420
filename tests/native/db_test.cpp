// The key and table container: image layout, limits, lookups, damaged images.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "db/ks_db_records.h"
#include "include/ks_db.h"

namespace {

KS_U32 StoredU32(const KS_U8* at) {
    KS_U32 v;
    memcpy(&v, at, 4);
    return v;
}

struct Db {
    KS_DB_S db{0, nullptr};
    Db() {
        KS_DB_SetMaxDBSize(const_cast<char*>("R100"));
        EXPECT_EQ(0, KS_DB_Create(&db));
    }
    ~Db() { KS_DB_Destroy(&db); }

    KS_DB_TABLE_S Table(const char* name) {
        KS_DB_TABLE_S table{};
        memcpy(table.Name, name, std::min(strlen(name), sizeof table.Name));
        EXPECT_EQ(0, KS_DB_InsertTable(&db, &table));
        return table;
    }
};

KS_S32 Insert(KS_DB_TABLE_S* table, const std::string& name, std::vector<KS_U8> value) {
    KS_DB_KEY_S key{};
    memcpy(key.Name, name.data(), std::min(name.size(), sizeof key.Name));
    key.u32ValueSize = static_cast<KS_U32>(value.size());
    key.pValue = value.data();
    return KS_DB_InsertKey(table, &key);
}

TEST(Db, CreateThenFirstTableWritesTheStoredTotal) {
    Db d;
    EXPECT_EQ(8u, d.db.u32DataLen);
    EXPECT_EQ(0, memcmp(d.db.pData, "###\0", 4));
    EXPECT_EQ(0u, StoredU32(d.db.pData + 4));  // written only by the first insertion
    d.Table("t");
    EXPECT_EQ(44u, d.db.u32DataLen);
    EXPECT_EQ(44u, StoredU32(d.db.pData + 4));
}

TEST(Db, HeaderTableKeyAndEmptyTableMake132Bytes) {
    Db d;
    KS_DB_TABLE_S header = d.Table("panelheader");
    ASSERT_EQ(0, Insert(&header, "header", std::vector<KS_U8>(16, 0xAB)));
    KS_DB_TABLE_S body = d.Table("paneldatabody");
    EXPECT_EQ(132u, d.db.u32DataLen);
    EXPECT_EQ(132u, StoredU32(d.db.pData + 4));
    EXPECT_STREQ("panelheader", reinterpret_cast<char*>(d.db.pData + 8));
    EXPECT_EQ(52u, StoredU32(d.db.pData + 40));
    EXPECT_STREQ("header", reinterpret_cast<char*>(d.db.pData + 44));
    EXPECT_EQ(16u, StoredU32(d.db.pData + 76));
    EXPECT_EQ(0xAB, d.db.pData[80]);
    EXPECT_STREQ("paneldatabody", reinterpret_cast<char*>(d.db.pData + 96));
    EXPECT_EQ(0u, StoredU32(d.db.pData + 128));
    EXPECT_EQ(d.db.pData + 132, body.pData);
}

TEST(Db, KeyEndingExactlyAtTheLimitFitsOneByteMoreDoesNot) {
    Db d;
    KS_DB_TABLE_S table = d.Table("t");
    KS_U32 room = KS_DB_IMAGE_SIZE - d.db.u32DataLen - 36;

    std::vector<KS_U8> before(d.db.pData, d.db.pData + KS_DB_IMAGE_SIZE);
    KS_DB_TABLE_S tableBefore = table;
    EXPECT_EQ(-1, Insert(&table, "big", std::vector<KS_U8>(room + 1, 1)));
    EXPECT_EQ(44u, d.db.u32DataLen);
    EXPECT_EQ(tableBefore.u32DataSize, table.u32DataSize);
    EXPECT_EQ(0, memcmp(before.data(), d.db.pData, KS_DB_IMAGE_SIZE));

    EXPECT_EQ(0, Insert(&table, "big", std::vector<KS_U8>(room, 1)));
    EXPECT_EQ(KS_DB_IMAGE_SIZE, d.db.u32DataLen);
    EXPECT_EQ(KS_DB_IMAGE_SIZE, StoredU32(d.db.pData + 4));
    EXPECT_EQ(-1, Insert(&table, "", {}));  // not even an empty key fits now
    KS_DB_TABLE_S another{};
    EXPECT_EQ(-1, KS_DB_InsertTable(&d.db, &another));
}

TEST(Db, LookupsMatchByPrefixInInsertionOrder) {
    Db d;
    KS_DB_TABLE_S table = d.Table("paneldatabody");
    for (int i = 0; i <= 10; ++i)
        ASSERT_EQ(0, Insert(&table, "index" + std::to_string(i), {static_cast<KS_U8>(i)}));
    d.Table("trailer");

    KS_DB_TABLE_S found{};
    ASSERT_EQ(0, KS_DB_GetTableByName(&d.db, const_cast<char*>("panel"), &found));
    EXPECT_STREQ("paneldatabody", found.Name);
    EXPECT_EQ(table.u32DataSize, found.u32DataSize);
    EXPECT_EQ(table.pData, found.pData);

    struct { const char* query; const char* name; int value; } cases[] = {
        {"index1", "index1", 1}, {"index10", "index10", 10}, {"index", "index0", 0},
        {"", "index0", 0}, {"index9", "index9", 9}};
    for (const auto& c : cases) {
        KS_DB_KEY_S key{};
        ASSERT_EQ(0, KS_DB_GetKeyByName(&found, const_cast<char*>(c.query), &key)) << c.query;
        EXPECT_STREQ(c.name, key.Name);
        EXPECT_EQ(1u, key.u32ValueSize);
        EXPECT_EQ(c.value, *static_cast<KS_U8*>(key.pValue));
    }
    KS_DB_KEY_S key{};
    EXPECT_EQ(-1, KS_DB_GetKeyByName(&found, const_cast<char*>("index11"), &key));
    EXPECT_EQ(-1, KS_DB_GetKeyByName(&found, const_cast<char*>("Index1"), &key));
}

TEST(Db, OnlyThirtyOneNameBytesCount) {
    Db d;
    const std::string name31(31, 'n');
    KS_DB_TABLE_S table{};
    memset(table.Name, 'n', sizeof table.Name);  // all 32 bytes, no terminator
    ASSERT_EQ(0, KS_DB_InsertTable(&d.db, &table));
    ASSERT_EQ(0, Insert(&table, name31, {7}));

    KS_DB_TABLE_S found{};
    EXPECT_EQ(0, KS_DB_GetTableByName(&d.db, const_cast<char*>(name31.c_str()), &found));
    EXPECT_EQ(name31, found.Name);  // the 32nd byte comes back as a terminator
    const std::string name32(32, 'n');
    EXPECT_EQ(-1, KS_DB_GetTableByName(&d.db, const_cast<char*>(name32.c_str()), &found));
}

TEST(Db, EmptyRecordClosingItsRegionIsFilledButReportedMissing) {
    Db d;
    KS_DB_TABLE_S header = d.Table("panelheader");
    ASSERT_EQ(0, Insert(&header, "header", std::vector<KS_U8>(16)));
    ASSERT_EQ(0, Insert(&header, "empty", {}));
    d.Table("paneldatabody");

    KS_DB_TABLE_S found{};
    EXPECT_EQ(-1, KS_DB_GetTableByName(&d.db, const_cast<char*>("paneldatabody"), &found));
    EXPECT_STREQ("paneldatabody", found.Name);
    EXPECT_EQ(d.db.pData + d.db.u32DataLen, found.pData);

    ASSERT_EQ(0, KS_DB_GetTableByName(&d.db, const_cast<char*>("panelheader"), &found));
    KS_DB_KEY_S key{};
    EXPECT_EQ(-1, KS_DB_GetKeyByName(&found, const_cast<char*>("empty"), &key));
    EXPECT_STREQ("empty", key.Name);
    EXPECT_EQ(0u, key.u32ValueSize);
    EXPECT_EQ(0, KS_DB_GetKeyByName(&found, const_cast<char*>("header"), &key));
}

TEST(Db, KeysGoOnlyIntoTheLastTable) {
    Db d;
    KS_DB_TABLE_S first = d.Table("first");
    d.Table("second");
    EXPECT_EQ(-1, Insert(&first, "late", {1, 2, 3}));
    EXPECT_EQ(80u, d.db.u32DataLen);
}

// An image copied out and attached again reads the same.
class LoadedImage : public ::testing::Test {
protected:
    void SetUp() override {
        KS_DB_TABLE_S header = d.Table("panelheader");
        ASSERT_EQ(0, Insert(&header, "header", std::vector<KS_U8>(16, 3)));
        KS_DB_TABLE_S body = d.Table("paneldatabody");
        ASSERT_EQ(0, Insert(&body, "index0", std::vector<KS_U8>(476, 5)));
        image.assign(d.db.pData, d.db.pData + KS_DB_IMAGE_SIZE);
    }
    KS_S32 Attach() { return KS_DB_GetDBFromMem(image.data(), &loaded); }
    void PutU32(size_t at, KS_U32 v) { memcpy(&image[at], &v, 4); }

    Db d;
    std::vector<KS_U8> image;
    KS_DB_S loaded{0, nullptr};
};

TEST_F(LoadedImage, AttachesWithoutCopying) {
    ASSERT_EQ(0, Attach());
    EXPECT_EQ(image.data(), loaded.pData);
    EXPECT_EQ(132u + 36 + 476, loaded.u32DataLen);
    KS_DB_TABLE_S table{};
    KS_DB_KEY_S key{};
    ASSERT_EQ(0, KS_DB_GetTableByName(&loaded, const_cast<char*>("paneldatabody"), &table));
    ASSERT_EQ(0, KS_DB_GetKeyByName(&table, const_cast<char*>("index0"), &key));
    EXPECT_EQ(476u, key.u32ValueSize);
    EXPECT_EQ(&image[168], key.pValue);
}

TEST_F(LoadedImage, MagicIsDecidedByItsFirstThreeBytes) {
    image[3] = 'x';
    EXPECT_EQ(0, Attach());
    image[2] = '$';
    EXPECT_EQ(-1, Attach());
    std::vector<KS_U8> zeros(KS_DB_IMAGE_SIZE, 0);
    EXPECT_EQ(-1, KS_DB_GetDBFromMem(zeros.data(), &loaded));
}

TEST_F(LoadedImage, TotalAboveTheLimitIsRefused) {
    PutU32(4, KS_DB_IMAGE_SIZE + 1);
    EXPECT_EQ(-1, Attach());
    PutU32(4, KS_DB_IMAGE_SIZE);
    EXPECT_EQ(0, Attach());
}

TEST_F(LoadedImage, SizesRunningPastTheUsedRegionEndTheLookup) {
    PutU32(4, 100);  // cuts the body table's record header short
    ASSERT_EQ(0, Attach());
    KS_DB_TABLE_S table{};
    EXPECT_EQ(-1, KS_DB_GetTableByName(&loaded, const_cast<char*>("paneldatabody"), &table));

    PutU32(4, 132 + 36 + 476);
    PutU32(40, 0xFFFFFFF0u);  // header table claims far more than the image
    ASSERT_EQ(0, Attach());
    EXPECT_EQ(-1, KS_DB_GetTableByName(&loaded, const_cast<char*>("paneldatabody"), &table));

    PutU32(40, 52);
    PutU32(164, 100000);  // key value size past its table
    ASSERT_EQ(0, Attach());
    ASSERT_EQ(0, KS_DB_GetTableByName(&loaded, const_cast<char*>("paneldatabody"), &table));
    KS_DB_KEY_S key{};
    EXPECT_EQ(-1, KS_DB_GetKeyByName(&table, const_cast<char*>("index0"), &key));

    table.u32DataSize = KS_DB_IMAGE_SIZE;  // a descriptor past the used region
    EXPECT_EQ(-1, KS_DB_GetKeyByName(&table, const_cast<char*>("index0"), &key));
}

// The scan never asks for a byte past its region, wherever the region ends:
// inside a record header, after a header whose body runs past it, or at the
// end of the last record.
struct FencedSource {
    const KS_U8* base;
    KS_U32 furthest = 0;
    const KS_U8* Bytes(KS_U32 offset, KS_U32 length) {
        furthest = std::max(furthest, offset + length);
        return base + offset;
    }
};

TEST_F(LoadedImage, TheScanStaysInsideItsRegion) {
    const struct {
        KS_U32 end;
        DbScan result;
    } cases[] = {{131, DbScan::kBroken}, {97, DbScan::kBroken}, {132, DbScan::kBroken},
                 {132 + 36 + 476, DbScan::kFound}};
    for (const auto& c : cases) {
        FencedSource source{image.data()};
        DbRecord found;
        EXPECT_EQ(c.result, DbScanRecords(source, 8, c.end, "paneldatabody", &found)) << c.end;
        EXPECT_LE(source.furthest, c.end) << c.end;
    }
}

TEST(Db, NullArgumentsAndUnsupportedOperationsFail) {
    Db d;
    KS_DB_TABLE_S table = d.Table("t");
    ASSERT_EQ(0, Insert(&table, "k", {1}));
    EXPECT_EQ(-1, KS_DB_Create(nullptr));
    EXPECT_EQ(-1, KS_DB_Destroy(nullptr));
    EXPECT_EQ(-1, KS_DB_InsertTable(nullptr, &table));
    EXPECT_EQ(-1, KS_DB_InsertKey(&table, nullptr));
    EXPECT_EQ(-1, KS_DB_GetTableByName(&d.db, nullptr, &table));
    EXPECT_EQ(-1, KS_DB_GetKeyByName(&table, const_cast<char*>("k"), nullptr));
    EXPECT_EQ(-1, KS_DB_GetDBFromMem(nullptr, &d.db));
    EXPECT_EQ(-1, KS_DB_DeleteTable(&d.db, const_cast<char*>("t")));
    EXPECT_EQ(-1, KS_DB_DeleteKey(&table, const_cast<char*>("k")));
}

TEST(Db, DestroyReleasesAndEmpties) {
    KS_DB_S db{0, nullptr};
    ASSERT_EQ(0, KS_DB_Create(&db));
    ASSERT_EQ(0, KS_DB_Create(&db));  // releases the first buffer
    EXPECT_EQ(0, KS_DB_Destroy(&db));
    EXPECT_EQ(nullptr, db.pData);
    EXPECT_EQ(0u, db.u32DataLen);
    db.u32DataLen = KS_DB_IMAGE_SIZE + 1;
    EXPECT_EQ(-1, KS_DB_Destroy(&db));
    EXPECT_EQ(KS_DB_IMAGE_SIZE + 1, db.u32DataLen);
}

}  // namespace
