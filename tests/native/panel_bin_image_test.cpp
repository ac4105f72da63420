// Loading bin files for reading: what a good file yields, and how damaged,
// short, foreign or empty files are refused without reading out of bounds.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "db/ks_db.h"
#include "panel/bin_image.h"

namespace fs = std::filesystem;

namespace {

// A database image built with the container, as the writer builds it.
class ImageBuilder {
public:
    ImageBuilder() {
        KS_DB_SetMaxDBSize(const_cast<char*>("R100"));
        EXPECT_EQ(0, KS_DB_Create(&m_db));
    }
    ~ImageBuilder() { KS_DB_Destroy(&m_db); }

    ImageBuilder& Table(const char* name) {
        memset(&m_table, 0, sizeof m_table);
        strncpy(m_table.Name, name, sizeof m_table.Name - 1);
        EXPECT_EQ(0, KS_DB_InsertTable(&m_db, &m_table));
        return *this;
    }
    ImageBuilder& Key(const char* name, std::vector<KS_U8> value) {
        KS_DB_KEY_S key;
        memset(&key, 0, sizeof key);
        strncpy(key.Name, name, sizeof key.Name - 1);
        key.u32ValueSize = static_cast<KS_U32>(value.size());
        key.pValue = value.data();
        EXPECT_EQ(0, KS_DB_InsertKey(&m_table, &key));
        return *this;
    }
    std::string Bytes(size_t size = KS_DB_IMAGE_SIZE) const {
        return std::string(reinterpret_cast<const char*>(m_db.pData), size);
    }
    KS_U32 Used() const { return m_db.u32DataLen; }

private:
    KS_DB_S m_db{0, nullptr};
    KS_DB_TABLE_S m_table;
};

std::vector<KS_U8> Value(size_t size, KS_U8 first) {
    std::vector<KS_U8> value(size);
    for (size_t i = 0; i < size; ++i) value[i] = static_cast<KS_U8>(first + i);
    return value;
}

class PanelBinImage : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/panel_image_XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
        good.Table("panelheader").Key("header", Value(16, 1));
        good.Table("paneldatabody").Key("index0", Value(476, 10)).Key("index1", Value(476, 20));
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string File(const std::string& bytes) {
        std::string path = (dir / ("f" + std::to_string(++files))).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static void PutU32(std::string* bytes, size_t at, KS_U32 value) {
        memcpy(&(*bytes)[at], &value, 4);
    }

    fs::path dir;
    int files = 0;
    ImageBuilder good;
};

TEST_F(PanelBinImage, FindsValuesByExactNameAndSize) {
    BinImage image;
    ASSERT_TRUE(image.Load(File(good.Bytes()).c_str()));
    const KS_U8* header = image.Find("panelheader", "header", 16);
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(Value(16, 1), std::vector<KS_U8>(header, header + 16));
    const KS_U8* second = image.Find("paneldatabody", "index1", 476);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(20, second[0]);
    EXPECT_EQ(nullptr, image.Find("paneldatabody", "index1", 632));  // another generation
    EXPECT_EQ(nullptr, image.Find("panelheader", "header", 12));
    EXPECT_EQ(nullptr, image.Find("paneldatabody", "index2", 476));
    EXPECT_EQ(nullptr, image.Find("paneldatabody", "index", 476));  // a prefix is not the name
    EXPECT_EQ(nullptr, image.Find("panel", "header", 16));
}

TEST_F(PanelBinImage, ShortFileReadsAsZeroPaddedAndLongFileIsCut) {
    BinImage cut;
    ASSERT_TRUE(cut.Load(File(good.Bytes(good.Used())).c_str()));
    EXPECT_NE(nullptr, cut.Find("paneldatabody", "index1", 476));
    BinImage longer;
    ASSERT_TRUE(longer.Load(File(good.Bytes() + std::string(5000, '\xAB')).c_str()));
    EXPECT_NE(nullptr, longer.Find("paneldatabody", "index1", 476));
}

TEST_F(PanelBinImage, FilesThatAreNoImageAreRefused) {
    BinImage missing, zeros, magic, empty, directory, oversized;
    EXPECT_FALSE(missing.Load((dir / "none").c_str()));
    EXPECT_FALSE(zeros.Load(File(std::string(KS_DB_IMAGE_SIZE, '\0')).c_str()));
    EXPECT_FALSE(magic.Load(File("##!" + good.Bytes().substr(3)).c_str()));
    EXPECT_FALSE(empty.Load(File("").c_str()));
    EXPECT_FALSE(directory.Load(dir.c_str()));
    std::string huge = good.Bytes();
    PutU32(&huge, 4, KS_DB_IMAGE_SIZE + 1);
    EXPECT_FALSE(oversized.Load(File(huge).c_str()));
    EXPECT_EQ(nullptr, zeros.Find("panelheader", "header", 16));
    BinImage twice;
    ASSERT_TRUE(twice.Load(File(good.Bytes()).c_str()));
    EXPECT_FALSE(twice.Load(File(good.Bytes()).c_str()));
}

TEST_F(PanelBinImage, DamagedSizesNeverReachBeyondTheUsedRegion) {
    // The body table claims more key bytes than the image holds.
    std::string table = good.Bytes();
    PutU32(&table, 96 + 32, 0x7FFFFFF0);
    BinImage a;
    ASSERT_TRUE(a.Load(File(table).c_str()));
    EXPECT_EQ(nullptr, a.Find("paneldatabody", "index0", 476));
    // A key's value size runs past the end of its table.
    std::string key = good.Bytes();
    PutU32(&key, 132 + 512 + 32, 100000);
    BinImage b;
    ASSERT_TRUE(b.Load(File(key).c_str()));
    EXPECT_EQ(nullptr, b.Find("paneldatabody", "index1", 100000));
    EXPECT_NE(nullptr, b.Find("paneldatabody", "index0", 476));
    // Bytes in use cut inside the second body: its key no longer counts.
    std::string shortUsed = good.Bytes();
    PutU32(&shortUsed, 4, good.Used() - 10);
    BinImage c;
    ASSERT_TRUE(c.Load(File(shortUsed).c_str()));
    EXPECT_EQ(nullptr, c.Find("paneldatabody", "index1", 476));
}

TEST_F(PanelBinImage, AnEmptyBodyTableHoldsNoPanel) {
    ImageBuilder none;
    none.Table("panelheader").Key("header", Value(16, 1)).Table("paneldatabody");
    BinImage image;
    ASSERT_TRUE(image.Load(File(none.Bytes()).c_str()));
    EXPECT_NE(nullptr, image.Find("panelheader", "header", 16));
    EXPECT_EQ(nullptr, image.Find("paneldatabody", "index0", 476));
}

// A foreign file whose keys are out of order: a prefix lookup of index1
// would meet index10 first, which is not panel 1.
TEST_F(PanelBinImage, OutOfOrderKeysAreNotMistakenForOneAnother) {
    ImageBuilder odd;
    odd.Table("paneldatabody").Key("index10", Value(476, 1)).Key("index1", Value(476, 2));
    BinImage image;
    ASSERT_TRUE(image.Load(File(odd.Bytes()).c_str()));
    EXPECT_EQ(nullptr, image.Find("paneldatabody", "index1", 476));
    ASSERT_NE(nullptr, image.Find("paneldatabody", "index10", 476));
}

}  // namespace
