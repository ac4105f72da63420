// The bin file readers on what is not a plain file (they never wait) and on
// files that change between two reads (the remembered layout never hides
// the new content); the shortcut against the plain walk.
#include <gtest/gtest.h>
#include <errno.h>
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
#include <algorithm>
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

// A signal that interrupts every other read: the call is repeated.
int gPreads = 0;
ssize_t InterruptedPread(int fd, void* buf, size_t n, off_t offset) {
    if (++gPreads % 2 == 1) {
        errno = EINTR;
        return -1;
    }
    return RealSysCalls().Pread(fd, buf, n, offset);
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
    clock_gettime(CLOCK_REALTIME, &gFrozen);
    SysCalls frozen = RealSysCalls();
    frozen.Fstat = FrozenFstat;
    SysCallsOverride seam(frozen);
    std::ofstream(path, std::ios::binary) << "";
    Overwrite(Image(3, 0x10));
    std::vector<KS_U8> body;
    ASSERT_EQ(BinFault::kNone, Read(1, &body));
    EXPECT_EQ(std::vector<KS_U8>(476, 0x11), body);

    Overwrite(Image(3, 0x40));
    ASSERT_EQ(BinFault::kNone, Read(1, &body));
    EXPECT_EQ(std::vector<KS_U8>(476, 0x41), body);

    // Only the first bytes differ: two panels in use, the third key left
    // behind them. What is not in use is not read.
    std::vector<KS_U8> shorter = Image(3, 0x40);
    shorter[5] -= 0x02;    // bytes in use: 132 + 2 * 512
    shorter[129] -= 0x02;  // the body table's size: 2 * 512
    Overwrite(shorter);
    EXPECT_EQ(BinFault::kNoPanel, Read(2, &body));

    // Panel 1's key renamed: the first bytes are the same, the key is not.
    std::vector<KS_U8> renamed = Image(3, 0x40);
    const size_t key1 = 132 + 512;
    renamed[key1 + 5] = '7';
    Overwrite(renamed);
    EXPECT_EQ(BinFault::kNoPanel, Read(1, &body));
    ASSERT_EQ(BinFault::kNone, Read(2, &body));
    EXPECT_EQ(std::vector<KS_U8>(476, 0x42), body);
}

// Reads that a signal interrupts are repeated: the shortcut, the walk and
// the check read what an uninterrupted read does.
TEST_F(PanelBinReader, InterruptedReadsAreRepeated) {
    const std::vector<KS_U8> image = Image(3, 0x30);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    SysCalls calls = RealSysCalls();
    calls.Pread = InterruptedPread;
    SysCallsOverride seam(calls);
    std::vector<KS_U8> body;
    for (int i : {2, 0, 2}) {
        ASSERT_EQ(BinFault::kNone, Read(i, &body)) << i;
        EXPECT_EQ(std::vector<KS_U8>(476, static_cast<KS_U8>(0x30 + i)), body) << i;
    }
    EXPECT_EQ(BinFault::kNone, CheckBinFile(path.c_str(), nullptr).status.fault);
    EXPECT_GT(gPreads, 6);
}

// A file replaced by a rename, with another panel count or the same, reads
// as the new file; so does one that grew or shrank in place, or was
// rewritten in place and given back its old modification time.
TEST_F(PanelBinReader, AReplacedFileReadsAsTheNewOne) {
    struct Case {
        size_t panels;
        KS_U8 first;
        bool inPlace;
        bool oldTime;
    } cases[] = {{3, 0x10, false, false}, {3, 0x20, false, false}, {5, 0x30, false, false},
                 {2, 0x50, true, false},  {2, 0x60, true, true}};
    std::vector<KS_U8> body;
    for (const Case& c : cases) {
        std::vector<KS_U8> image = Image(c.panels, c.first);
        struct stat before;
        if (c.oldTime) {
            ASSERT_EQ(0, stat(path.c_str(), &before));
        }
        if (c.inPlace) {
            Overwrite(image);
        } else {
            const std::string next = path + ".new";
            std::ofstream(next, std::ios::binary)
                .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
            ASSERT_EQ(0, rename(next.c_str(), path.c_str()));
        }
        if (c.oldTime) {
            const struct timespec times[2] = {before.st_atim, before.st_mtim};
            ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
        }
        for (size_t i = 0; i < c.panels; ++i) {
            ASSERT_EQ(BinFault::kNone, Read(static_cast<int>(i), &body)) << c.panels << " " << i;
            EXPECT_EQ(std::vector<KS_U8>(476, static_cast<KS_U8>(c.first + i)), body) << c.panels << " " << i;
        }
        EXPECT_EQ(BinFault::kNoPanel, Read(static_cast<int>(c.panels), &body)) << c.panels;
    }
}

// The shortcut reads exactly as the plain walk does, the writer's files and
// damaged ones alike, on the first read of a file and on later ones.
TEST_F(PanelBinReader, TheShortcutReadsAsThePlainWalk) {
    const size_t key1 = 132 + 512, key2 = key1 + 512;
    const std::vector<std::function<void(std::vector<KS_U8>*)>> damages = {
        [](std::vector<KS_U8>*) {},
        [&](std::vector<KS_U8>* image) { (*image)[key1 + 5] = '7'; },      // key 1 renamed
        [&](std::vector<KS_U8>* image) { (*image)[key2 + 32] = 0x10; },    // key 2's size
        [&](std::vector<KS_U8>* image) { (*image)[4] -= 0x10; },           // bytes in use cut
        [&](std::vector<KS_U8>* image) { (*image)[key1 + 6] = '0'; },      // index10 before index1
    };
    for (size_t d = 0; d < damages.size(); ++d) {
        std::vector<KS_U8> image = Image(3, 0x20);
        damages[d](&image);
        path = (dir / ("damaged" + std::to_string(d) + ".bin")).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = -1; i < 4; ++i) {
                BinFileReader plain;
                plain.UsePlainPathOnly();
                std::vector<KS_U8> expected(476, 0), body;
                const BinFault fault = plain.Open(path.c_str(), kR100) &&
                                               plain.ReadPanel(i, expected.data())
                                           ? BinFault::kNone
                                           : plain.status().fault;
                EXPECT_EQ(fault, Read(i, &body)) << d << " " << pass << " " << i;
                EXPECT_EQ(expected, body) << d << " " << pass << " " << i;
            }
        }
    }
}

// A medium swapped for another whose file has the same device, inode, size
// and times but other bytes (a cloned file system, edited) reads as the
// second medium's file. Needs root and loop devices; skipped elsewhere.
TEST_F(PanelBinReader, ASwappedMediumReadsAsItsOwnFile) {
    const std::string mount = (dir / "mnt").string(), first = (dir / "first.img").string(),
                      second = (dir / "second.img").string();
    fs::create_directory(mount);
    if (geteuid() != 0 ||
        system(("truncate -s 8M " + first + " && mkfs.ext4 -q " + first + " 2>/dev/null && mount -o loop " +
                first + " " + mount + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "no loop mount here";
    path = mount + "/p.bin";
    const std::vector<KS_U8> a = Image(2, 0xA0), b = Image(2, 0xB0);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(a.data()), static_cast<long>(a.size()));
    sync();
    ASSERT_EQ(0, system(("umount " + mount).c_str()));
    // The clone, its file's bytes changed underneath the file system.
    std::vector<KS_U8> medium(static_cast<size_t>(fs::file_size(first)));
    std::ifstream(first, std::ios::binary)
        .read(reinterpret_cast<char*>(medium.data()), static_cast<long>(medium.size()));
    auto at = std::search(medium.begin(), medium.end(), a.begin(), a.begin() + 4096);
    ASSERT_NE(medium.end(), at);
    std::copy(b.begin(), b.begin() + 4096, at);
    std::ofstream(second, std::ios::binary)
        .write(reinterpret_cast<const char*>(medium.data()), static_cast<long>(medium.size()));

    std::vector<KS_U8> body;
    struct stat seen[2];
    for (int m = 0; m < 2; ++m) {
        ASSERT_EQ(0, system(("mount -o loop " + (m == 0 ? first : second) + " " + mount).c_str()));
        ASSERT_EQ(0, stat(path.c_str(), &seen[m]));
        const BinFault fault = Read(1, &body);
        ASSERT_EQ(0, system(("umount " + mount).c_str()));
        ASSERT_EQ(BinFault::kNone, fault) << m;
        EXPECT_EQ(std::vector<KS_U8>(476, m == 0 ? 0xA1 : 0xB1), body) << m;
    }
    EXPECT_EQ(seen[0].st_ino, seen[1].st_ino);
    EXPECT_EQ(seen[0].st_mtim.tv_nsec, seen[1].st_mtim.tv_nsec);
    EXPECT_EQ(seen[0].st_ctim.tv_nsec, seen[1].st_ctim.tv_nsec);
}
