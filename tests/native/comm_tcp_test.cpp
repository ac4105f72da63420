/* The board link over TCP, end to end against board-sim. */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "comm/Ethernet.h"
#include "tests/native/board_sim_process.h"
#include "tests/native/comm_test_support.h"

namespace {

/* A board-sim with `args` and a network link to it. */
bool StartLink(BoardSimProcess* sim, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--tcp", "0"};
    all.insert(all.end(), args.begin(), args.end());
    if (!sim->Start(all)) return false;
    PresetHeaderCmd(kPanelCmd);
    return StartEthernetConnection("127.0.0.1", sim->Port()) == 1;
}

}  // namespace

TEST(CommLink, NothingIsSentOrReportedBeforeAStart) {
    if (GetStrErr() != nullptr) GTEST_SKIP() << "needs a process of its own, as ctest runs it";
    std::vector<unsigned char> image(324);
    EXPECT_EQ(0, EndConnection());
    EXPECT_EQ(0, WritePanel(image));
    EXPECT_EQ(0, ReadPanel(&image));
    std::string text;
    EXPECT_FALSE(GetStrErrCopy(text));
    EXPECT_EQ(nullptr, GetStrErr());
}

class CommTcp : public BoardLinkTest {};

TEST_F(CommTcp, PanelImagesGoAndComeBackUnchangedAlsoAfterTheLinkEnds) {
    BoardSimProcess sim;
    ASSERT_TRUE(StartLink(&sim, {}));
    for (size_t size : {324u, 364u}) {
        std::vector<unsigned char> image = PanelImage(size, static_cast<unsigned>(size));
        std::vector<unsigned char> back(size);
        ASSERT_EQ(1, WritePanel(image));
        ASSERT_EQ(1, ReadPanel(&back)) << LinkText();
        EXPECT_EQ(image, back);
    }
    // A network link keeps no connection: ending it leaves requests working.
    ASSERT_EQ(1, EndConnection());
    std::vector<unsigned char> back(364);
    EXPECT_EQ(1, ReadPanel(&back)) << LinkText();
    EXPECT_EQ(PanelImage(364, 364), back);
}

TEST_F(CommTcp, AWrongFirstRespondSendsTheFrameAgainUpToThreeFrames) {
    BoardSimProcess sim;
    ASSERT_TRUE(StartLink(&sim, {"--fault", "bad-first=4"}));
    std::vector<unsigned char> image = PanelImage(324, 1);
    EXPECT_EQ(0, WritePanel(image));
    EXPECT_TRUE(StartsWith(LinkText(), "Failed to write. Failed to check respond.")) << LinkText();
    EXPECT_EQ(3u, sim.Records().size());
    // One wrong respond left: the second frame gets through, and the text
    // of the retry stays.
    EXPECT_EQ(1, WritePanel(image));
    EXPECT_TRUE(StartsWith(LinkText(), "Failed to write. Failed to check respond.")) << LinkText();
    std::vector<std::string> records = sim.Records();
    ASSERT_EQ(5u, records.size());
    std::vector<unsigned char> data = WriteInfo(image);
    for (const std::string& record : records) EXPECT_EQ(Hex(data.data(), data.size()), record.substr(24, 2 * data.size()));
    EXPECT_EQ(records.front(), records.back());
}

TEST_F(CommTcp, EachBoardFaultFailsItsRequestOnlyAndTheNextOneSucceeds) {
    struct Case {
        const char* fault;
        bool read;
        const char* text;  // null: the request succeeds
    };
    const Case cases[] = {
        {"bad-final", false, "Failed to write. Failed to check respond."},
        {"bad-final", true, "Failed to read. Failed to check respond."},
        {"bad-checksum", true, "Failed to read. Failed to check checksum."},
        {"close-mid-reply", true, "Failed to read. Failed to receive data.Connection reset by peer"},
        {"garbage", true, "Failed to read. Failed to check respond."},
        {"trickle", true, nullptr},
        {"trickle", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + (c.read ? " read" : " write"));
        BoardSimProcess sim;
        ASSERT_TRUE(StartLink(&sim, {"--fault", c.fault}));
        std::vector<unsigned char> reply(324, 0xEE);
        int result = c.read ? ReadPanel(&reply) : WritePanel(reply);
        EXPECT_EQ(c.text == nullptr ? 1 : 0, result);
        if (c.text != nullptr) {
            EXPECT_TRUE(StartsWith(LinkText(), c.text)) << LinkText();
        }
        if (c.read && (c.text == nullptr || std::string(c.fault) == "bad-checksum")) {
            EXPECT_EQ(std::vector<unsigned char>(324, 0), reply) << "reply bytes stored";
        }
        EXPECT_EQ(1, ReadPanel(&reply)) << LinkText();
    }
}

TEST_F(CommTcp, ConnectFailuresNameTheirCause) {
    BoardSimProcess gone;
    ASSERT_TRUE(gone.Start({"--tcp", "0"}));
    ASSERT_EQ(0, gone.Stop());
    std::vector<unsigned char> image(324);

    ASSERT_EQ(1, StartEthernetConnection("127.0.0.1", gone.Port()));
    EXPECT_EQ(0, WritePanel(image));
    std::string text = LinkText();
    EXPECT_NE(std::string::npos, text.find("Connection refused")) << text;
    EXPECT_NE(std::string::npos, text.find("Failed to connect the ip and port.")) << text;

    // Refused at the start, without a word: inet_addr's error value is
    // also the all-ones address, however it is written.
    for (const char* address : {"255.255.255.255", "0xffffffff", "4294967295", "256.1.1.1", "board"}) {
        EXPECT_EQ(0, StartEthernetConnection(address, 1000)) << address;
        EXPECT_EQ(text, LinkText());
    }
    EXPECT_FALSE(Ethernet::CreateSocket("255.255.255.255", 1000));
    EXPECT_TRUE(StartsWith(Ethernet::GetErrorPrint(), "Failed to read ip."));
}

TEST_F(CommTcp, APortAbove32767IsRefusedAndTheLinkStaysAsItWas) {
    BoardSimProcess sim;
    ASSERT_TRUE(StartLink(&sim, {"--fault", "bad-first"}));
    std::vector<unsigned char> image(324);
    ASSERT_EQ(1, WritePanel(image));  // leaves the retry's text
    std::string before = LinkText();

    EXPECT_EQ(0, StartEthernetConnection("127.0.0.1", 40000));
    EXPECT_EQ(0, StartEthernetConnection(nullptr, 1000));
    EXPECT_EQ(before, LinkText());
    EXPECT_EQ(1, WritePanel(image));  // still to the same board
    EXPECT_EQ(3u, sim.Records().size());
}

TEST_F(CommTcp, ASilentBoardFailsAfterFiveSecondsOfRealTimeWithoutSpinning) {
    BoardSimProcess sim;
    ASSERT_TRUE(StartLink(&sim, {"--fault", "silent"}));
    std::vector<unsigned char> image(324);
    double wall = WallSeconds();
    double cpu = CpuSeconds();
    EXPECT_EQ(0, WritePanel(image));
    wall = WallSeconds() - wall;
    cpu = CpuSeconds() - cpu;
    EXPECT_EQ("Failed to write. Failed to receive respond.Connection timed out", LinkText());
    EXPECT_GE(wall, 4.9);
    EXPECT_LT(wall, 7.0);
    EXPECT_LT(cpu, 0.3);
    EXPECT_EQ(1, WritePanel(image));
}
