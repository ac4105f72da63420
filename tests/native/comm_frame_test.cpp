/* The request frame byte for byte, as board-sim receives it over TCP. The
 * expected lines are worked out by hand: header (magic, command, length,
 * header checksum), data, data checksum, all little-endian. */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/native/board_sim_process.h"
#include "tests/native/comm_test_support.h"

namespace {

class CommFrame : public BoardLinkTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start({"--tcp", "0"}));
        ASSERT_EQ(1, StartEthernetConnection("127.0.0.1", sim.Port()));
    }
    BoardSimProcess sim;
};

}  // namespace

TEST_F(CommFrame, HeaderFieldsAndChecksumsFollowPresetsAndPerCallValues) {
    PresetHeader(0, 0x8000);  // a zero magic keeps "KSTV"
    ASSERT_EQ(1, WriteMSGWithoutCmd("abc", 3));
    ASSERT_EQ(1, WriteMSG("abc", 3, 0x11223344, 0x6000));
    PresetHeader(0x01020304, 0x8001);
    ASSERT_EQ(1, WriteMSGWithoutCmd("", 0));  // the 16-byte frame of an empty request
    const unsigned char readInfo[4] = {0, 0, 0, 0};
    unsigned char reply[324];
    ASSERT_EQ(1, ReadMSGWithoutCmd(readInfo, 4, reply, sizeof reply));

    std::vector<std::string> expected = {
        "4b535456" "0080" "0300" "cb010000" "616263" "26010000",
        "44332211" "0060" "0300" "0d010000" "616263" "26010000",
        "04030201" "0180" "0000" "8b000000" "00000000",
        "04030201" "0180" "0400" "8f000000" "00000000" "00000000",
    };
    EXPECT_EQ(expected, sim.Records());
}

TEST_F(CommFrame, LengthsTheHeaderCannotCarryAreRefusedBeforeAnythingIsSent) {
    std::vector<unsigned char> data(65536, 0x01);
    std::vector<unsigned char> reply(65536);
    PresetHeaderCmd(0x8000);
    EXPECT_EQ(0, WriteMSGWithoutCmd(data.data(), -1));
    EXPECT_EQ(0, WriteMSGWithoutCmd(data.data(), 65536));
    EXPECT_EQ(0, ReadMSGWithoutCmd(data.data(), -1, reply.data(), 4));
    EXPECT_EQ(0, ReadMSGWithoutCmd(data.data(), 4, reply.data(), 65536));
    EXPECT_EQ(0, ReadMSGWithoutCmd(data.data(), 4, reply.data(), -1));
    EXPECT_TRUE(sim.Records().empty());

    ASSERT_EQ(1, WriteMSGWithoutCmd(data.data(), 65535));
    std::vector<std::string> records = sim.Records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(2u * (65535 + 16), records[0].size());
    EXPECT_EQ("4b535456" "0080" "ffff", records[0].substr(0, 16));
    // 65535 data bytes of 1: checksum 0x0000ffff.
    EXPECT_EQ("ffff0000", records[0].substr(records[0].size() - 8));
}
