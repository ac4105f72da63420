/* The board link over a serial line: board-sim on a pseudo-terminal. */
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/native/board_sim_process.h"
#include "tests/native/comm_stuck_line.h"
#include "tests/native/comm_test_support.h"

namespace {

const std::string kStartRecord = Hex(std::string("kest_pq_tool.sh"));

bool StartLink(BoardSimProcess* sim, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--pty"};
    all.insert(all.end(), args.begin(), args.end());
    if (!sim->Start(all)) return false;
    PresetHeaderCmd(kPanelCmd);
    return StartUARTConnectionWithoutParam(sim->PtyPath().c_str(), 5000) == 1;
}

/* Serial requests that fail after the board stopped answering: real time
 * near the 5 s limit, and next to no processor time spent waiting. */
void ExpectWaitedWithoutSpinning(double wall, double cpu) {
    EXPECT_GE(wall, 4.9);
    EXPECT_LT(wall, 7.0);
    EXPECT_LT(cpu, 0.3);
}

}  // namespace

class CommSerial : public BoardLinkTest {};

TEST_F(CommSerial, ALinkStartsWithTheStartTextCarriesEveryByteValueAndEndsWithItsFrame) {
    BoardSimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty"}));
    // Serial parameters are taken and not applied.
    ASSERT_EQ(1, StartUARTConnection(sim.PtyPath().c_str(), 1, 9600, 7, 2, 1, 1));
    // A start that went well leaves the port name as its text.
    EXPECT_TRUE(StartsWith(LinkText(), sim.PtyPath())) << LinkText();
    PresetHeader(0x0A0B0C0D, kPanelCmd);
    std::vector<unsigned char> image = PanelImage(364, 3);
    std::vector<unsigned char> back(364);
    ASSERT_EQ(1, WritePanel(image)) << LinkText();
    ASSERT_EQ(1, ReadPanel(&back)) << LinkText();
    EXPECT_EQ(image, back);  // 0x11, 0x13, CR and LF survive the line
    std::string before = LinkText();
    ASSERT_EQ(1, EndConnection());

    std::vector<std::string> records = sim.Records();
    ASSERT_EQ(4u, records.size());
    EXPECT_EQ(kStartRecord, records[0]);
    std::vector<unsigned char> data = WriteInfo(image);
    EXPECT_EQ(Hex(data.data(), data.size()), records[1].substr(24, 2 * data.size()));
    EXPECT_EQ("0d0c0b0a" "0080" "7001", records[1].substr(0, 16));
    EXPECT_EQ("0d0c0b0a" "0080" "0400" "b2000000" "00000000" "00000000", records[2]);
    // End of link: the preset magic, command 0x1000, no data.
    EXPECT_EQ("0d0c0b0a" "0010" "0000" "3e000000", records[3]);

    // Ended: requests are refused without a word.
    EXPECT_EQ(0, WritePanel(image));
    EXPECT_EQ(0, ReadPanel(&back));
    EXPECT_EQ(before, LinkText());
    EXPECT_EQ(4u, sim.Records().size());

    // The board awaits the next start; a new link works at once.
    ASSERT_EQ(1, StartUARTConnectionWithoutParam(sim.PtyPath().c_str(), 5000));
    ASSERT_EQ(1, ReadPanel(&back)) << LinkText();
    EXPECT_EQ(image, back);
    EXPECT_EQ(kStartRecord, sim.Records().at(4));
}

TEST_F(CommSerial, APortMissingOrHeldByAnotherFailsTheStartWithTheSerialText) {
    const std::string prefix = "Can not connect to the Serial Port! It may be in use or not exist.";
    std::vector<unsigned char> image(324);
    EXPECT_EQ(0, StartUARTConnectionWithoutParam("/dev/no-such-tty", 5000));
    EXPECT_EQ(prefix + "/dev/no-such-ttyNo such file or directory errno:2", LinkText());
    EXPECT_EQ(0, WritePanel(image));
    EXPECT_EQ(prefix + "/dev/no-such-ttyNo such file or directory errno:2", LinkText());

    BoardSimProcess sim;
    ASSERT_TRUE(sim.Start({"--pty"}));
    int holder = open(sim.PtyPath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_NE(-1, holder);
    ASSERT_EQ(0, flock(holder, LOCK_EX | LOCK_NB));
    EXPECT_EQ(0, StartUARTConnectionWithoutParam(sim.PtyPath().c_str(), 5000));
    EXPECT_EQ(prefix + sim.PtyPath() + "Resource temporarily unavailable errno:11", LinkText());
    close(holder);

    // Arguments the link refuses change nothing, not even the text.
    EXPECT_EQ(0, StartUARTConnectionWithoutParam(sim.PtyPath().c_str(), 0));
    EXPECT_EQ(0, StartUARTConnectionWithoutParam(nullptr, 5000));
    EXPECT_EQ(prefix + sim.PtyPath() + "Resource temporarily unavailable errno:11", LinkText());

    // A start again on the port held by our own link succeeds: the old
    // descriptor and its lock are given up first.
    ASSERT_EQ(1, StartUARTConnectionWithoutParam(sim.PtyPath().c_str(), 5000));
    ASSERT_EQ(1, StartUARTConnectionWithoutParam(sim.PtyPath().c_str(), 5000));
    EXPECT_EQ(1, WritePanel(image)) << LinkText();
}

/* Frames written into a file named by mistake would destroy it. */
TEST_F(CommSerial, APortThatIsNoTerminalIsRefusedAndLeftAsItWas) {
    char dir[] = "/tmp/comm-serial-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    const std::string file = dir + std::string("/notes.bin"), fifo = dir + std::string("/fifo");
    std::ofstream(file) << "panel notes";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    int fifoReader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const std::string notTerminal = "Inappropriate ioctl for device errno:25";
    for (const std::string& port : {file, fifo, std::string("/dev/null"), std::string(dir)}) {
        struct stat before, after;
        ASSERT_EQ(0, stat(port.c_str(), &before));
        EXPECT_EQ(0, StartUARTConnectionWithoutParam(port.c_str(), 5000));
        EXPECT_EQ("Can not connect to the Serial Port! It may be in use or not exist." + port +
                      (port == dir ? "Is a directory errno:21" : notTerminal),
                  LinkText());
        ASSERT_EQ(0, stat(port.c_str(), &after));
        EXPECT_EQ(before.st_mode, after.st_mode) << port;
    }
    char byte;
    EXPECT_EQ(0, read(fifoReader, &byte, 1)) << "the FIFO was written";  // empty, no writer
    std::ifstream in(file);
    EXPECT_EQ("panel notes", std::string(std::istreambuf_iterator<char>(in), {}));
    close(fifoReader);
    unlink(fifo.c_str());
    unlink(file.c_str());
    rmdir(dir);
}

TEST_F(CommSerial, EachBoardFaultFailsItsRequestOnlyAndTheNextOneSucceeds) {
    struct Case {
        const char* fault;
        bool read;
        const char* text;  // null: the request succeeds
    };
    const Case cases[] = {
        {"bad-first", false, "Failed to write. Failed to check 0xA0 respond."},
        {"bad-final", false, "Failed to write. Failed to check 0xB0 respond."},
        {"bad-final", true, "Failed to read. Failed to check 0xB0 respond."},
        {"bad-checksum", true, "Failed to read. Failed to check checksum."},
        {"trickle", true, nullptr},
        {"garbage", true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + (c.read ? " read" : " write"));
        BoardSimProcess sim;
        ASSERT_TRUE(StartLink(&sim, {"--fault", c.fault}));
        // Garbage follows the start text; give it time to arrive before the
        // first send flushes it away.
        usleep(200 * 1000);
        std::vector<unsigned char> reply(324, 0xEE);
        double wall = WallSeconds();
        int result = c.read ? ReadPanel(&reply) : WritePanel(reply);
        EXPECT_EQ(c.text == nullptr ? 1 : 0, result);
        EXPECT_LT(WallSeconds() - wall, 4.0) << "no failure waits out the limit";
        if (c.text != nullptr) {
            EXPECT_TRUE(StartsWith(LinkText(), c.text)) << LinkText();
        }
        if (c.read && (c.text == nullptr || std::string(c.fault) == "bad-checksum")) {
            EXPECT_EQ(std::vector<unsigned char>(324, 0), reply) << "reply bytes stored";
        }
        EXPECT_EQ(1, ReadPanel(&reply)) << LinkText();
        // No frame went twice: the start, the failed request if it got to
        // its data part, and the read after it.
        size_t frames = std::string(c.fault) == "bad-first" ? 2u : 3u;
        EXPECT_EQ(frames, sim.Records().size());
    }
}

TEST_F(CommSerial, ASilentBoardFailsAfterFiveSecondsOfRealTimeWithoutSpinning) {
    BoardSimProcess sim;
    ASSERT_TRUE(StartLink(&sim, {"--fault", "silent"}));
    std::vector<unsigned char> image(324);
    double wall = WallSeconds();
    double cpu = CpuSeconds();
    EXPECT_EQ(0, WritePanel(image));
    ExpectWaitedWithoutSpinning(WallSeconds() - wall, CpuSeconds() - cpu);
    // The request's own words only: the start's text is not kept in front.
    EXPECT_EQ(std::string("Receive 0 Bytes. Connection timed out errno:110") +
                  "Failed to write. Failed to receive 0xA0 respond.Connection timed out errno:110",
              LinkText());
    EXPECT_EQ(1, WritePanel(image)) << LinkText();
}

TEST_F(CommSerial, AReplyCutOffFailsAfterFiveSecondsWithTheBytesReceived) {
    BoardSimProcess sim;
    ASSERT_TRUE(StartLink(&sim, {"--fault", "close-mid-reply"}));
    std::vector<unsigned char> image(324);
    double wall = WallSeconds();
    double cpu = CpuSeconds();
    EXPECT_EQ(0, ReadPanel(&image));
    ExpectWaitedWithoutSpinning(WallSeconds() - wall, CpuSeconds() - cpu);
    std::string text = LinkText();
    EXPECT_NE(std::string::npos, text.find("Receive 162 Bytes. ")) << text;
    EXPECT_NE(std::string::npos, text.find("Failed to read. Failed to receive data.")) << text;
    EXPECT_EQ(1, ReadPanel(&image)) << LinkText();
}

TEST_F(CommSerial, ABoardThatVanishesFailsTheRequestAtOnce) {
    BoardSimProcess sim;
    ASSERT_TRUE(StartLink(&sim, {"--fault", "silent"}));
    std::thread unplug([&sim] {
        usleep(300 * 1000);
        sim.Stop();
    });
    std::vector<unsigned char> image(324);
    double wall = WallSeconds();
    EXPECT_EQ(0, WritePanel(image));
    EXPECT_LT(WallSeconds() - wall, 2.0);
    unplug.join();
    EXPECT_NE(std::string::npos,
              LinkText().find("Failed to write. Failed to receive 0xA0 respond.")) << LinkText();
}

TEST_F(CommSerial, ThreadsSharingTheLinkNeverInterleaveTheirExchanges) {
    BoardSimProcess sim;
    ASSERT_TRUE(StartLink(&sim, {}));
    auto work = [](unsigned seed, int* failures) {
        std::vector<unsigned char> image = PanelImage(324, seed);
        std::vector<unsigned char> back(324);
        for (int i = 0; i < 15; ++i) {
            if (WritePanel(image) != 1) ++*failures;
            if (ReadPanel(&back) != 1) ++*failures;
            LinkText();
        }
    };
    int failures[2] = {0, 0};
    std::thread first(work, 1u, &failures[0]);
    std::thread second(work, 2u, &failures[1]);
    first.join();
    second.join();
    EXPECT_EQ(0, failures[0]);
    EXPECT_EQ(0, failures[1]);
    EXPECT_EQ(1u + 60u, sim.Records().size());
}

TEST_F(CommSerial, ANetworkStartEndsTheSerialLinkAndGivesThePortUp) {
    BoardSimProcess sim;
    ASSERT_TRUE(StartLink(&sim, {}));
    ASSERT_EQ(1, StartEthernetConnection("127.0.0.1", 1000));
    // The serial link was ended as EndConnection ends it: with its frame.
    std::vector<std::string> records = sim.Records();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("4b535456" "0010" "0000", records[1].substr(0, 16));
    ASSERT_EQ(1, EndConnection());

    int other = open(sim.PtyPath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_NE(-1, other);
    EXPECT_EQ(0, flock(other, LOCK_EX | LOCK_NB)) << "the port is still locked";
    close(other);
}

/* Real time: about 5 s. */
TEST_F(CommSerial, ASendIntoALineThatStopsTakingBytesFailsAfterFiveSecondsAndTheTextStaysReadable) {
    StuckLine peer(false);
    ASSERT_FALSE(peer.Path().empty());
    PresetHeaderCmd(kPanelCmd);
    ASSERT_EQ(1, StartUARTConnectionWithoutParam(peer.Path().c_str(), 5000)) << LinkText();
    const std::string before = LinkText();

    std::atomic<bool> sending(true);
    double slowest = 0;
    int answers = 0;
    std::thread asker([&] {
        while (sending) {
            double start = WallSeconds();
            bool same = GetStrErr() != nullptr && before == GetStrErr() && before == LinkText();
            slowest = std::max(slowest, WallSeconds() - start);
            if (same) ++answers;
            usleep(20 * 1000);
        }
    });
    std::vector<unsigned char> data(65535, 0x5A);
    double wall = WallSeconds();
    EXPECT_EQ(0, WriteMSGWithoutCmd(data.data(), static_cast<int>(data.size())));
    wall = WallSeconds() - wall;
    sending = false;
    asker.join();

    EXPECT_GE(wall, 4.9);
    EXPECT_LT(wall, 5.5);
    EXPECT_LT(slowest, 0.1) << "the text waited behind the send";
    EXPECT_GT(answers, 100);
    EXPECT_EQ("Failed to write. Failed to send data and checksum.Connection timed out errno:110",
              LinkText());
}
