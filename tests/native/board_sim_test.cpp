/* board-sim's own behaviour, on which the other board-link tests rely. */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/native/board_sim_process.h"
#include "tests/native/comm_test_support.h"

namespace {

/* Sends raw bytes on a connection of its own, and nothing more, and returns
 * whatever comes back before the simulator closes it. */
std::string Exchange(int port, const std::string& bytes) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    struct sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    struct timeval limit = {3, 0};
    if (fd != -1 && setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) == 0 &&
        connect(fd, reinterpret_cast<struct sockaddr*>(&address), sizeof address) == 0 &&
        send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size()) &&
        shutdown(fd, SHUT_WR) == 0) {
        char buffer[64];
        ssize_t n;
        while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, static_cast<size_t>(n));
        if (n < 0) answer += "(still open)";
    }
    if (fd != -1) close(fd);
    return answer;
}

int ExitStatusOf(const std::string& arguments) {
    int status = system((std::string(BOARD_SIM_PATH) + " " + arguments + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(BoardSim, AReadGetsTheSizeOfTheLastImageWrittenOrOfItsGeneration) {
    BoardSimProcess sim;
    ASSERT_TRUE(sim.Start({"--tcp", "0", "--generation", "R120"}));
    ASSERT_EQ(1, StartEthernetConnection("127.0.0.1", sim.Port()));
    PresetHeaderCmd(kPanelCmd);
    std::vector<unsigned char> back(364, 0xEE);
    ASSERT_EQ(1, ReadPanel(&back)) << LinkText();
    EXPECT_EQ(std::vector<unsigned char>(364, 0), back);

    std::vector<unsigned char> image = PanelImage(324, 9);
    back.assign(324, 0xEE);
    ASSERT_EQ(1, WritePanel(image));
    ASSERT_EQ(1, ReadPanel(&back)) << LinkText();
    EXPECT_EQ(image, back);
    // Other commands read zeros of the same size.
    ASSERT_EQ(1, ReadMSG(kReadInfo, 4, back.data(), 324, 0, 0x6000)) << LinkText();
    EXPECT_EQ(std::vector<unsigned char>(324, 0), back);
}

TEST(BoardSim, AFrameThatFailsACheckIsNotAnswered) {
    BoardSimProcess sim;
    ASSERT_TRUE(sim.Start({"--tcp", "0"}));
    // A write of "abc" as in the frame tests, then spoilt in one field each.
    const std::string good = std::string("KSTV\x00\x80\x03\x00\xcb\x01\x00\x00" "abc\x26\x01\x00\x00", 19);
    EXPECT_EQ("\xd0\xe0", Exchange(sim.Port(), good));
    std::string badHeaderSum = good, badDataSum = good, zeroMagic = good;
    badHeaderSum[8] = '\xcc';
    badDataSum[15] = '\x27';
    zeroMagic.replace(0, 4, std::string(4, '\0'));
    EXPECT_EQ("", Exchange(sim.Port(), badHeaderSum));
    EXPECT_EQ("", Exchange(sim.Port(), badDataSum));
    EXPECT_EQ("", Exchange(sim.Port(), zeroMagic));
    // A complete frame is recorded even when its data checksum is wrong.
    EXPECT_EQ(2u, sim.Records().size());
}

TEST(BoardSim, ItListensOnTheGivenPortAndStopsCleanlyOnSignals) {
    BoardSimProcess first;
    ASSERT_TRUE(first.Start({"--tcp", "0"}));
    EXPECT_GE(first.Port(), 20000);
    EXPECT_LT(first.Port(), 32768);
    EXPECT_EQ(0, first.Stop(SIGINT));

    BoardSimProcess second;
    ASSERT_TRUE(second.Start({"--tcp", std::to_string(first.Port()), "--pty"}));
    EXPECT_EQ(first.Port(), second.Port());
    EXPECT_EQ(0, access(second.PtyPath().c_str(), R_OK | W_OK));
    EXPECT_EQ(0, second.Stop(SIGTERM));
}

/* A fault is used up by one request: every request after it is served as
 * if there had been none. Garbage on the serial line makes the first
 * request fail when the library reads it as the board's answer; the
 * simulator must then take the library's next header, not wait for the
 * abandoned request's data. An altered write is read back changed once. */
TEST(BoardSim, AfterAFaultTheBoardBehavesAgain) {
    struct Case {
        const char* fault;
        bool serial;
        int firstByteChange; /* of the image read back after the first write */
    } cases[] = {{"garbage", true, 0}, {"garbage", false, 0}, {"alter-write", true, 1},
                 {"alter-write", false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + (c.serial ? " serial" : " tcp"));
        BoardSimProcess sim;
        ASSERT_TRUE(sim.Start({"--tcp", "0", "--pty", "--fault", c.fault}));
        ASSERT_EQ(1, c.serial ? StartUARTConnection(sim.PtyPath().c_str(), 5000, 115200, 8, 0, 0, 0)
                              : StartEthernetConnection("127.0.0.1", sim.Port()));
        PresetHeaderCmd(kPanelCmd);
        std::vector<unsigned char> image = PanelImage(324, 3), back(324);
        // Garbage fails the first write at most: the second must go through,
        // once the answer to the abandoned header, which may still be on its
        // way, has arrived for the next send's flush to discard.
        if (WritePanel(image) != 1) {
            usleep(200 * 1000);
            ASSERT_EQ(1, WritePanel(image)) << LinkText();
        }
        ASSERT_EQ(1, ReadPanel(&back)) << LinkText();
        EXPECT_EQ(image[0] + c.firstByteChange, back[0]);
        for (int again = 0; again < 2; ++again) {
            ASSERT_EQ(1, WritePanel(image)) << LinkText();
            ASSERT_EQ(1, ReadPanel(&back)) << LinkText();
            EXPECT_EQ(image, back);
        }
        EndConnection();
    }
}

/* hang stays for every request until SIGUSR1 clears it. */
TEST(BoardSim, AHangLastsUntilCleared) {
    BoardSimProcess sim;
    ASSERT_TRUE(sim.Start({"--tcp", "0", "--fault", "hang"}));
    const std::string write = std::string("KSTV\x00\x80\x03\x00\xcb\x01\x00\x00" "abc\x26\x01\x00\x00", 19);
    EXPECT_EQ("", Exchange(sim.Port(), write));
    EXPECT_EQ("", Exchange(sim.Port(), write));
    ASSERT_TRUE(sim.Signal(SIGUSR1));
    EXPECT_EQ("\xd0\xe0", Exchange(sim.Port(), write));
    EXPECT_EQ(3u, sim.Records().size());
}

TEST(BoardSim, HelpSaysWhyPortsEndAt32767) {
    FILE* help = popen((std::string(BOARD_SIM_PATH) + " --help").c_str(), "r");
    ASSERT_NE(help, nullptr);
    std::string text;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, help) != nullptr) text += buffer;
    EXPECT_EQ(0, pclose(help));
    EXPECT_NE(text.find("0..32767"), std::string::npos) << text;
    EXPECT_NE(text.find("refuses higher ones"), std::string::npos) << text;
}

TEST(BoardSim, ACommandLineItCannotUseEndsWithStatusTwo) {
    EXPECT_EQ(2, ExitStatusOf(""));
    EXPECT_EQ(2, ExitStatusOf("--tcp"));
    EXPECT_EQ(2, ExitStatusOf("--tcp 70000"));
    EXPECT_EQ(2, ExitStatusOf("--tcp 32768"));
    EXPECT_EQ(2, ExitStatusOf("--pty --bogus"));
    EXPECT_EQ(2, ExitStatusOf("--pty --fault melt"));
    EXPECT_EQ(2, ExitStatusOf("--pty --fault silent=2"));
    EXPECT_EQ(2, ExitStatusOf("--pty --fault hang=2"));
    EXPECT_EQ(2, ExitStatusOf("--pty --generation R200"));
}
