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

// A clock that never moves: a rewrite in place keeps the file's identity,
// as it does when it lands in the same tick of the file system's clock.
int FrozenFstat(int fd, struct stat* st) {
    int result = RealSysCalls().Fstat(fd, st);
    st->st_mtim = st->st_ctim = {1, 2};
    return result;
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
