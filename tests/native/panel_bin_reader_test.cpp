// The bin file readers on what is not a plain file (they never wait) and on
// files that change between two reads (the remembered layout never hides
// the new content).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/SysCalls.h"
#include "panel/binfile/bin_file.h"

namespace fs = std::filesystem;

namespace {

const PanelGeneration kR100 = PanelGeneration::kR100;

class PanelBinReader : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/panel_reader_XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
        path = (dir / "panels.bin").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    // The image of `count` R100 panels, panel i's bytes all `first + i`.
    static std::vector<KS_U8> Image(size_t count, KS_U8 first) {
        std::vector<KS_U8> bodies(count * 476), image;
        for (size_t i = 0; i < count; ++i)
            memset(&bodies[i * 476], first + static_cast<int>(i), 476);
        KS_PANEL_HEADER_S header = {};
        EXPECT_TRUE(BuildBinImage(header, bodies.data(), count, kR100, &image).ok());
        return image;
    }
    // Writes over the file in place: same inode, and here the same size.
    void Overwrite(const std::vector<KS_U8>& image) {
        std::ofstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
        ASSERT_TRUE(out.good());
    }
    // Panel `index` read by a reader of its own, as each JNI call reads.
    BinFault Read(int index, std::vector<KS_U8>* body) {
        BinFileReader reader;
        body->assign(476, 0);
        if (reader.Open(path.c_str(), kR100) && reader.ReadPanel(index, body->data()))
            return BinFault::kNone;
        return reader.status().fault;
    }

    fs::path dir;
    std::string path;
};

// A file system clock that stopped a moment ago: a rewrite in place keeps
// the file's identity, as it does when it lands in the same tick.
struct timespec gFrozen;
int FrozenFstat(int fd, struct stat* st) {
    int result = RealSysCalls().Fstat(fd, st);
    st->st_mtim = st->st_ctim = gFrozen;
    return result;
}
int FrozenStat(const char* path, struct stat* st) {
    int result = RealSysCalls().Stat(path, st);
    st->st_mtim = st->st_ctim = gFrozen;
    return result;
}

// A wall clock an hour ahead, which makes every file settled, and a count
// of the files opened.
int gOpens = 0;
void HourAhead(struct timespec* now) {
    RealSysCalls().WallClock(now);
    now->tv_sec += 3600;
}
int CountedOpen(const char* path, int flags, mode_t mode) {
    ++gOpens;
    return RealSysCalls().OpenFile(path, flags, mode);
}

// Runs `read` on a thread of its own and says whether it returned within a
// second; a reader that blocks stays blocked there, not in the test.
bool ReturnsWithinASecond(std::function<void()> read) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> returned = done->get_future();
    std::thread([read, done] {
        read();
        done->set_value();
    }).detach();
    return returned.wait_for(std::chrono::seconds(1)) == std::future_status::ready;
}

}  // namespace

// Nothing but a regular file is read: a FIFO without a writer, a FIFO whose
// writer never writes and a terminal without input each fail at once.
TEST_F(PanelBinReader, WhatIsNotARegularFileIsRefusedWithoutWaiting) {
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    const std::string quiet = (dir / "quiet").string();
    ASSERT_EQ(0, mkfifo(quiet.c_str(), 0600));
    int writer = open(quiet.c_str(), O_RDWR | O_NONBLOCK);  // holds a writer open, writes nothing
    ASSERT_GE(writer, 0);
    int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(0, grantpt(terminal));
    ASSERT_EQ(0, unlockpt(terminal));
    const std::string pty = ptsname(terminal);

    for (const std::string& name : {fifo, quiet, pty}) {
        auto faults = std::make_shared<std::vector<BinFault>>();
        EXPECT_TRUE(ReturnsWithinASecond([name, faults] {
            BinFileReader reader;
            KS_PANEL_HEADER_S header;
            faults->push_back(reader.Open(name.c_str(), kR100) && reader.ReadHeader(&header)
                                  ? BinFault::kNone
                                  : reader.status().fault);
            faults->push_back(CheckBinFile(name.c_str(), nullptr).status.fault);
        })) << name;
        if (faults->size() == 2) {
            EXPECT_EQ(BinFault::kNotRegular, (*faults)[0]) << name;
            EXPECT_EQ(BinFault::kNotRegular, (*faults)[1]) << name;
        }
    }
    close(writer);
    close(terminal);
}

// A file rewritten in place between two reads reads as its new content,
// even when its identity did not change; a record that is no longer where
// the remembered layout puts it reads as the walk reads it.
TEST_F(PanelBinReader, AFileRewrittenInPlaceReadsAsItsNewContent) {
    RealSysCalls().WallClock(&gFrozen);
    SysCalls frozen = RealSysCalls();
    frozen.Fstat = FrozenFstat;
    frozen.Stat = FrozenStat;
    SysCallsOverride seam(frozen);
    std::ofstream(path, std::ios::binary) << "";
    Overwrite(Image(3, 0x10));
    std::vector<KS_U8> body;
    ASSERT_EQ(BinFault::kNone, Read(1, &body));
    EXPECT_EQ(std::vector<KS_U8>(476, 0x11), body);

    Overwrite(Image(3, 0x40));
    ASSERT_EQ(BinFault::kNone, Read(1, &body));
    EXPECT_EQ(std::vector<KS_U8>(476, 0x41), body);

    // Panel 1's key renamed: the first bytes are the same, the key is not.
    std::vector<KS_U8> renamed = Image(3, 0x40);
    const size_t key1 = 132 + 512;
    renamed[key1 + 5] = '7';
    Overwrite(renamed);
    EXPECT_EQ(BinFault::kNoPanel, Read(1, &body));
    ASSERT_EQ(BinFault::kNone, Read(2, &body));
    EXPECT_EQ(std::vector<KS_U8>(476, 0x42), body);
}

// A file replaced by a rename, with another panel count or the same, reads
// as the new file; so does one that grew or shrank in place.
TEST_F(PanelBinReader, AReplacedFileReadsAsTheNewOne) {
    struct Case {
        size_t panels;
        KS_U8 first;
        bool inPlace;
    } cases[] = {{3, 0x10, false}, {3, 0x20, false}, {5, 0x30, false}, {2, 0x50, true}};
    std::vector<KS_U8> body;
    for (const Case& c : cases) {
        std::vector<KS_U8> image = Image(c.panels, c.first);
        if (c.inPlace) {
            Overwrite(image);
        } else {
            const std::string next = path + ".new";
            std::ofstream(next, std::ios::binary)
                .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
            ASSERT_EQ(0, rename(next.c_str(), path.c_str()));
        }
        for (size_t i = 0; i < c.panels; ++i) {
            ASSERT_EQ(BinFault::kNone, Read(static_cast<int>(i), &body)) << c.panels << " " << i;
            EXPECT_EQ(std::vector<KS_U8>(476, static_cast<KS_U8>(c.first + i)), body) << c.panels << " " << i;
        }
        EXPECT_EQ(BinFault::kNoPanel, Read(static_cast<int>(c.panels), &body)) << c.panels;
    }
}

// A settled file is read whole once and then from its kept image, without
// opening it, until it changes; a file written a moment ago is read from
// the file every time.
TEST_F(PanelBinReader, ASettledFileIsReadFromItsImageUntilItChanges) {
    SysCalls calls = RealSysCalls();
    calls.OpenFile = CountedOpen;
    std::vector<KS_U8> body;
    for (bool settled : {false, true}) {
        calls.WallClock = settled ? HourAhead : RealSysCalls().WallClock;
        SysCallsOverride seam(calls);
        std::ofstream(path, std::ios::binary) << "";
        Overwrite(Image(3, 0x10));
        ASSERT_EQ(BinFault::kNone, Read(1, &body));
        gOpens = 0;
        for (int i : {0, 2}) {
            ASSERT_EQ(BinFault::kNone, Read(i, &body));
            EXPECT_EQ(std::vector<KS_U8>(476, static_cast<KS_U8>(0x10 + i)), body);
        }
        EXPECT_EQ(settled ? 0 : 2, gOpens) << settled;

        // Past the tick of the file system's clock, a rewrite in place has a
        // change time of its own.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Overwrite(Image(2, 0x40));
        ASSERT_EQ(BinFault::kNone, Read(1, &body));
        EXPECT_EQ(std::vector<KS_U8>(476, 0x41), body) << settled;
        EXPECT_EQ(BinFault::kNoPanel, Read(2, &body)) << settled;
        fs::remove(path);
        EXPECT_EQ(BinFault::kOpen, Read(1, &body)) << settled;
    }
}

// A kept image reads exactly as the file's bytes do, damaged or not.
TEST_F(PanelBinReader, AKeptImageReadsAsItsBytes) {
    SysCalls calls = RealSysCalls();
    calls.WallClock = HourAhead;
    SysCallsOverride seam(calls);
    const size_t key1 = 132 + 512, key2 = key1 + 512;
    const std::vector<std::function<void(std::vector<KS_U8>*)>> damages = {
        [](std::vector<KS_U8>*) {},
        [&](std::vector<KS_U8>* image) { (*image)[key1 + 5] = '7'; },      // key 1 renamed
        [&](std::vector<KS_U8>* image) { (*image)[key2 + 32] = 0x10; },    // key 2's size
        [&](std::vector<KS_U8>* image) { (*image)[4] -= 0x10; },           // bytes in use cut
    };
    for (size_t d = 0; d < damages.size(); ++d) {
        std::vector<KS_U8> image = Image(3, 0x20);
        damages[d](&image);
        path = (dir / ("damaged" + std::to_string(d) + ".bin")).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < 4; ++i) {
                BinFileReader memory;
                std::vector<KS_U8> expected(476, 0), body;
                const BinFault fault = memory.OpenImage(image.data(), image.size(), kR100) &&
                                               memory.ReadPanel(i, expected.data())
                                           ? BinFault::kNone
                                           : memory.status().fault;
                EXPECT_EQ(fault, Read(i, &body)) << d << " " << pass << " " << i;
                EXPECT_EQ(expected, body) << d << " " << pass << " " << i;
            }
        }
    }
}
