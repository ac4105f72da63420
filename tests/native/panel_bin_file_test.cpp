// Bin files without a JVM: the reader on good, short, foreign and damaged
// files (never reading out of bounds), the whole-file check's verdicts, and
// the writer from records.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "include/ks_db.h"
#include "panel/binfile/bin_file.h"

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

const PanelGeneration kR100 = PanelGeneration::kR100;
const PanelGeneration kR120 = PanelGeneration::kR120;

class PanelBinFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/panel_file_XXXXXX";
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
    // The fault of reading panel `index` (or the header, for index -2).
    static BinFault ReadFault(const std::string& path, int index,
                              PanelGeneration generation = kR100) {
        BinFileReader reader;
        std::vector<KS_U8> out(632);
        KS_PANEL_HEADER_S header;
        if (reader.Open(path.c_str(), generation) &&
            (index == -2 ? reader.ReadHeader(&header) : reader.ReadPanel(index, out.data())))
            return BinFault::kNone;
        EXPECT_STRNE("", reader.status().text);
        return reader.status().fault;
    }

    fs::path dir;
    int files = 0;
    ImageBuilder good;
};

TEST_F(PanelBinFile, FindsRecordsByExactNameAndSize) {
    BinFileReader reader;
    ASSERT_TRUE(reader.Open(File(good.Bytes()).c_str(), kR100));
    KS_PANEL_HEADER_S header;
    ASSERT_TRUE(reader.ReadHeader(&header));
    EXPECT_EQ(0, memcmp(Value(16, 1).data(), &header, 16));
    std::vector<KS_U8> body(476);
    ASSERT_TRUE(reader.ReadPanel(1, body.data()));
    EXPECT_EQ(Value(476, 20), body);
    EXPECT_FALSE(reader.ReadPanel(2, body.data()));
    EXPECT_EQ(BinFault::kNoPanel, reader.status().fault);
    EXPECT_TRUE(reader.ReadPanel(0, body.data()));  // a miss does not stick
    KS_U32 count = 0;
    ASSERT_TRUE(reader.CountPanels(&count));
    EXPECT_EQ(2u, count);

    std::string path = File(good.Bytes());
    EXPECT_EQ(BinFault::kPanelSize, ReadFault(path, 1, kR120));  // another generation
    EXPECT_EQ(BinFault::kNoPanel, ReadFault(path, -1));
}

TEST_F(PanelBinFile, ShortFileReadsAsZeroPaddedAndLongFileIsCut) {
    EXPECT_EQ(BinFault::kNone, ReadFault(File(good.Bytes(good.Used())), 1));
    EXPECT_EQ(BinFault::kNone, ReadFault(File(good.Bytes() + std::string(5000, '\xAB')), 1));
    // Cut inside panel 1: its last 100 bytes read as zero, from a file and
    // from the same bytes in memory.
    std::vector<KS_U8> cutBody = Value(476, 20);
    std::fill(cutBody.end() - 100, cutBody.end(), 0);
    struct {
        std::string bytes;
        std::vector<KS_U8> body;
    } cases[] = {
        {good.Bytes(good.Used()), Value(476, 20)},
        {good.Bytes(good.Used() - 100), cutBody},
        {good.Bytes() + std::string(5000, '\xAB'), Value(476, 20)},
    };
    for (const auto& c : cases) {
        BinFileReader file, image;
        std::vector<KS_U8> fromFile(476, 0xEE), fromImage(476, 0xEE);
        ASSERT_TRUE(file.Open(File(c.bytes).c_str(), kR100) && file.ReadPanel(1, fromFile.data()))
            << file.status().text;
        const KS_U8* bytes = reinterpret_cast<const KS_U8*>(c.bytes.data());
        ASSERT_TRUE(image.OpenImage(bytes, c.bytes.size(), kR100) &&
                    image.ReadPanel(1, fromImage.data()))
            << image.status().text;
        EXPECT_EQ(c.body, fromFile) << c.bytes.size();
        EXPECT_EQ(c.body, fromImage) << c.bytes.size();
    }
}

TEST_F(PanelBinFile, FilesThatAreNoImageAreRefused) {
    std::string huge = good.Bytes();
    PutU32(&huge, 4, KS_DB_IMAGE_SIZE + 1);
    std::string tiny = good.Bytes();
    PutU32(&tiny, 4, 7);
    struct {
        std::string path;
        BinFault fault;
    } cases[] = {
        {(dir / "none").string(), BinFault::kOpen},
        {File(std::string(KS_DB_IMAGE_SIZE, '\0')), BinFault::kMagic},
        {File("##!" + good.Bytes().substr(3)), BinFault::kMagic},
        {File(""), BinFault::kMagic},
        {dir.string(), BinFault::kRead},
        {File(huge), BinFault::kUsedSize},
        {File(tiny), BinFault::kUsedSize},
    };
    for (const auto& c : cases) EXPECT_EQ(c.fault, ReadFault(c.path, 0)) << c.path;
    BinFileReader unopened;
    KS_PANEL_HEADER_S header;
    EXPECT_FALSE(unopened.ReadHeader(&header));
}

TEST_F(PanelBinFile, DamagedSizesNeverReachBeyondTheUsedRegion) {
    // The body table claims more key bytes than the image holds.
    std::string table = good.Bytes();
    PutU32(&table, 96 + 32, 0x7FFFFFF0);
    EXPECT_EQ(BinFault::kTableBounds, ReadFault(File(table), 0));
    // A key's value size runs past the end of its table: keys before it stay.
    std::string key = good.Bytes();
    PutU32(&key, 132 + 512 + 32, 100000);
    EXPECT_EQ(BinFault::kKeyBounds, ReadFault(File(key), 1));
    EXPECT_EQ(BinFault::kNone, ReadFault(File(key), 0));
    // Bytes in use cut inside the second body: its key no longer counts.
    std::string shortUsed = good.Bytes();
    PutU32(&shortUsed, 4, good.Used() - 10);
    EXPECT_EQ(BinFault::kTableBounds, ReadFault(File(shortUsed), 1));
    // A header key of another size is no header.
    ImageBuilder odd;
    odd.Table("panelheader").Key("header", Value(12, 1));
    EXPECT_EQ(BinFault::kHeaderSize, ReadFault(File(odd.Bytes()), -2));
}

TEST_F(PanelBinFile, AnEmptyBodyTableHoldsNoPanel) {
    ImageBuilder none;
    none.Table("panelheader").Key("header", Value(16, 1)).Table("paneldatabody");
    std::string path = File(none.Bytes());
    EXPECT_EQ(BinFault::kNone, ReadFault(path, -2));
    EXPECT_EQ(BinFault::kNoPanel, ReadFault(path, 0));
    BinFileReader reader;
    KS_U32 count = 7;
    ASSERT_TRUE(reader.Open(path.c_str(), kR100));
    ASSERT_TRUE(reader.CountPanels(&count));
    EXPECT_EQ(0u, count);
}

// A foreign file whose keys are out of order: a prefix lookup of index1
// would meet index10 first, which is not panel 1.
TEST_F(PanelBinFile, OutOfOrderKeysAreNotMistakenForOneAnother) {
    ImageBuilder odd;
    odd.Table("panelheaderX").Key("header", Value(16, 1));
    odd.Table("paneldatabody").Key("index10", Value(476, 1)).Key("index1", Value(476, 2));
    std::string path = File(odd.Bytes());
    EXPECT_EQ(BinFault::kNoPanel, ReadFault(path, 1));
    EXPECT_EQ(BinFault::kNone, ReadFault(path, 10));
    EXPECT_EQ(BinFault::kNoHeaderTable, ReadFault(path, -2));
}

// Another program cuts the file short while it is being read: what is gone
// reads as zero bytes and the lookup fails, nothing faults.
TEST_F(PanelBinFile, AFileCutShortWhileOpenFailsTheLookupOnly) {
    std::vector<KS_U8> bodies(100 * 476, 0x5A);
    KS_PANEL_HEADER_S header = {};
    std::string path = (dir / "cut.bin").string();
    BinStatus status;
    ASSERT_TRUE(WriteBinFile(path.c_str(), header, bodies.data(), 100, kR100, &status));
    BinFileReader reader;
    ASSERT_TRUE(reader.Open(path.c_str(), kR100));
    ASSERT_EQ(0, truncate(path.c_str(), 5000));
    std::vector<KS_U8> body(476);
    EXPECT_FALSE(reader.ReadPanel(90, body.data()));
    EXPECT_EQ(BinFault::kNoPanel, reader.status().fault) << reader.status().text;
}

// A full file of each generation: every panel read back is the record
// written, wherever the reader's windows begin and end.
TEST_F(PanelBinFile, WriterAndReaderAgreeOnEveryPanelOfAFullFile) {
    for (PanelGeneration generation : {kR100, kR120}) {
        const KS_U32 size = BodySize(generation);
        const size_t count = (KS_DB_IMAGE_SIZE - 132) / (36 + size);
        std::vector<KS_U8> bodies(count * size);
        for (size_t i = 0; i < bodies.size(); ++i) bodies[i] = static_cast<KS_U8>(i * 7 + i / size);
        KS_PANEL_HEADER_S header = {KS_PANEL_INDEX_STORE_MEDIA_EMMC, 1, 2, 3};
        std::string path = (dir / "full.bin").string();
        BinStatus status;
        ASSERT_TRUE(WriteBinFile(path.c_str(), header, bodies.data(), count, generation, &status))
            << status.text;
        EXPECT_EQ(KS_DB_IMAGE_SIZE, fs::file_size(path));

        BinFileReader reader;
        ASSERT_TRUE(reader.Open(path.c_str(), generation));
        std::vector<KS_U8> body(size);
        for (size_t i = 0; i < count; ++i) {
            ASSERT_TRUE(reader.ReadPanel(static_cast<KS_S32>(i), body.data())) << i;
            ASSERT_EQ(0, memcmp(body.data(), &bodies[i * size], size)) << i;
        }
        EXPECT_EQ(BinFault::kNoPanel, ReadFault(path, static_cast<int>(count), generation));
        BinCheck check = CheckBinFile(path.c_str(), nullptr);
        EXPECT_TRUE(check.status.ok()) << check.status.text;
        EXPECT_EQ(generation, check.generation);
        EXPECT_EQ(count, check.panels);

        // One panel more does not fit, and the file stays as it was.
        std::vector<KS_U8> more(bodies);
        more.resize(bodies.size() + size);
        EXPECT_FALSE(WriteBinFile(path.c_str(), header, more.data(), count + 1, generation, &status));
        EXPECT_EQ(BinFault::kTooManyPanels, status.fault);
        EXPECT_TRUE(CheckBinFile(path.c_str(), &generation).status.ok());
    }
}

TEST_F(PanelBinFile, BuiltImageIsTheFileTheWriterWrites) {
    KS_PANEL_HEADER_S header;
    memcpy(&header, Value(16, 3).data(), sizeof header);
    std::vector<KS_U8> bodies = Value(3 * 632, 7), image;
    BinStatus status = BuildBinImage(header, bodies.data(), 3, kR120, &image);
    ASSERT_TRUE(status.ok()) << status.text;
    std::string path = (dir / "built.bin").string();
    ASSERT_TRUE(WriteBinFile(path.c_str(), header, bodies.data(), 3, kR120, &status));
    std::ifstream in(path, std::ios::binary);
    std::vector<KS_U8> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, image);
    std::vector<KS_U8> tooMany(2000 * 476), untouched = image;
    EXPECT_EQ(BinFault::kTooManyPanels, BuildBinImage(header, tooMany.data(), 2000, kR100, &image).fault);
    EXPECT_EQ(untouched, image);
}

TEST_F(PanelBinFile, WriterBuildsTheSameImageAsTheContainer) {
    std::vector<KS_U8> bodies = Value(476, 10);
    std::vector<KS_U8> second = Value(476, 20);
    bodies.insert(bodies.end(), second.begin(), second.end());
    KS_PANEL_HEADER_S header;
    memcpy(&header, Value(16, 1).data(), 16);
    std::string path = (dir / "two.bin").string();
    BinStatus status;
    ASSERT_TRUE(WriteBinFile(path.c_str(), header, bodies.data(), 2, kR100, &status));
    std::ifstream in(path, std::ios::binary);
    std::stringstream written;
    written << in.rdbuf();
    EXPECT_TRUE(written.str() == good.Bytes());
    EXPECT_FALSE(WriteBinFile((dir / "no" / "such.bin").c_str(), header, bodies.data(), 2, kR100,
                              &status));
    EXPECT_EQ(BinFault::kWrite, status.fault);
}

// The whole-file check names the first fault of each kind of damage.
TEST_F(PanelBinFile, CheckNamesTheFirstFault) {
    auto with = [&](size_t at, KS_U32 value) {
        std::string bytes = good.Bytes();
        PutU32(&bytes, at, value);
        return bytes;
    };
    ImageBuilder swapped, noBody, extraTable, wide;
    swapped.Table("panelheader").Key("header", Value(16, 1));
    swapped.Table("paneldatabody").Key("index1", Value(476, 1));
    noBody.Table("panelheader").Key("header", Value(16, 1));
    extraTable.Table("panelheader").Key("header", Value(16, 1)).Table("paneldatabody").Table("x");
    wide.Table("panelheader").Key("header", Value(16, 1));
    wide.Table("paneldatabody").Key("index0", Value(632, 1)).Key("index1", Value(476, 1));
    std::string trailing = good.Bytes();
    trailing[good.Used() + 5] = 1;
    std::string fourth = good.Bytes();
    fourth[3] = 'A';
    std::string tail = good.Bytes();
    tail[8 + 20] = 'x';
    PanelGeneration r120 = kR120;
    struct {
        std::string bytes;
        const PanelGeneration* generation;
        BinFault fault;
        const char* says;
    } cases[] = {
        {good.Bytes(), nullptr, BinFault::kNone, ""},
        {good.Bytes(819100), nullptr, BinFault::kFileSize, "file is 819100 bytes, expected 819200"},
        {good.Bytes() + "x", nullptr, BinFault::kFileSize, "file is 819201 bytes"},
        {fourth, nullptr, BinFault::kMagic, "fourth magic byte"},
        {with(76, 12), nullptr, BinFault::kHeaderSize, "key header holds 12 bytes, the header is 16"},
        {with(4, 900000), nullptr, BinFault::kUsedSize, "bytes in use 900000 exceed 819200"},
        {with(40, 5000), nullptr, BinFault::kTableBounds, "past the end of the used region"},
        {with(76, 40), nullptr, BinFault::kKeyBounds, "past the end of table panelheader"},
        {good.Bytes(), &r120, BinFault::kPanelSize,
         "key index0 holds 476 bytes, the R120 panel size is 632"},
        {wide.Bytes(), nullptr, BinFault::kPanelSize,
         "key index1 holds 476 bytes, the R120 panel size is 632"},
        {swapped.Bytes(), nullptr, BinFault::kKeyName, "named \"index1\", expected \"index0\""},
        {noBody.Bytes(), nullptr, BinFault::kNoBodyTable, "no table \"paneldatabody\""},
        {extraTable.Bytes(), nullptr, BinFault::kExtraData, "after table paneldatabody"},
        {trailing, nullptr, BinFault::kExtraData, "after the used region"},
        {tail, nullptr, BinFault::kNameTail, "not zero after its end"},
    };
    for (const auto& c : cases) {
        BinCheck check = CheckBinFile(File(c.bytes).c_str(), c.generation);
        EXPECT_EQ(c.fault, check.status.fault) << check.status.text;
        EXPECT_NE(nullptr, strstr(check.status.text, c.says)) << check.status.text;
        BinCheck inMemory = CheckBinImage(reinterpret_cast<const KS_U8*>(c.bytes.data()),
                                          c.bytes.size(), c.generation);
        EXPECT_EQ(c.fault, inMemory.status.fault) << inMemory.status.text;
        EXPECT_STREQ(check.status.text, inMemory.status.text);
    }
}

}  // namespace

// Images are built in kept buffers: a small image after a full one holds
// none of the full one's bytes.
TEST_F(PanelBinFile, AnImageAfterALargerOneIsZeroPastItsEnd) {
    KS_PANEL_HEADER_S header = {};
    std::vector<KS_U8> bodies(1226 * 632, 0xA5), image;  // room for the larger of both full files
    for (size_t count : {size_t{1599}, size_t{3}, size_t{1226}, size_t{0}}) {
        PanelGeneration generation = count == 1226 ? kR120 : kR100;
        ASSERT_TRUE(BuildBinImage(header, bodies.data(), count, generation, &image).ok());
        BinCheck check = CheckBinImage(image.data(), image.size(), &generation);
        EXPECT_TRUE(check.status.ok()) << count << ": " << check.status.text;
        EXPECT_EQ(count, check.panels);
    }
}
