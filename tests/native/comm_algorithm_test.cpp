/* The board link's checksum, failure texts and scope-release helper. */
#include <errno.h>
#include <time.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "comm/CommonAlgorithm.h"
#include "comm/scoperelease.h"

TEST(CommonAlgorithm, ChecksumIsTheUnsignedByteSumWrappingAt32Bits) {
    EXPECT_EQ(294u, CommonAlgorithm::GetCheckSum("abc", 3));
    EXPECT_EQ(0u, CommonAlgorithm::GetCheckSum("abc", 0));
    EXPECT_EQ(0u, CommonAlgorithm::GetCheckSum("abc", -5));
    const unsigned char high[] = {0xFF, 0x80};
    EXPECT_EQ(0x17Fu, CommonAlgorithm::GetCheckSum(high, 2));
    // 16843010 bytes of 0xFF sum to 2^32 + 254.
    std::vector<unsigned char> many(16843010, 0xFF);
    EXPECT_EQ(254u, CommonAlgorithm::GetCheckSum(many.data(), static_cast<KS_S32>(many.size())));
}

TEST(CommonAlgorithm, FailureTextsAppendTheSystemErrorOfTheMoment) {
    std::string text;
    errno = ENOMEM;
    CommonAlgorithm::PrintWithLastError(text, "Failed to read. Failed to malloc memory.");
    EXPECT_EQ("Failed to read. Failed to malloc memory.Cannot allocate memory errno:12", text);
    errno = 0;
    CommonAlgorithm::PrintWithWSALastError(text, "Failed to make socket.");
    EXPECT_EQ("Failed to make socket.Success", text);
    // The destination may be part of the message.
    errno = ETIMEDOUT;
    CommonAlgorithm::PrintWithLastError(text, text + "!");
    EXPECT_EQ("Failed to make socket.Success!Connection timed out errno:110", text);
}

TEST(CommonAlgorithm, GetTimeCountsRealTimeWhileTheProcessSleeps) {
    uint64_t before = CommonAlgorithm::GetTime();
    struct timespec pause = {0, 300 * 1000000L};
    nanosleep(&pause, nullptr);
    uint64_t elapsed = CommonAlgorithm::GetTime() - before;
    EXPECT_GE(elapsed, 290u);
    EXPECT_LT(elapsed, 3000u);
}

TEST(ScopeRelease, RunsItsActionOnceOnEveryExitUnlessDismissed) {
    int runs = 0;
    auto leaveEarly = [&runs](bool early) {
        ScopeRelease guard([&runs] { ++runs; });
        if (early) return;
        guard.Dismiss();
    };
    leaveEarly(true);
    EXPECT_EQ(1, runs);
    leaveEarly(false);
    EXPECT_EQ(1, runs);
}
