/* The per-thread record of a call's failure and notes. */
#include <string.h>

#include <new>
#include <string>

#include <gtest/gtest.h>

#include "base/call_report.h"

TEST(CallReport, KeepsTheFirstReasonWholeCharactersAndAtMostItsNotes) {
    ReportStart();
    EXPECT_EQ(nullptr, ReportedFailure());
    // A two-byte character that would straddle the end is left out whole.
    const std::string tooLong = std::string(kReportFailureBytes - 2, 'a') + "\xC3\xA9";
    ReportFailure("%s", tooLong.c_str());
    ReportFailure("a later reason");
    ASSERT_NE(nullptr, ReportedFailure());
    EXPECT_EQ(std::string(kReportFailureBytes - 2, 'a'), ReportedFailure());
    for (size_t i = 0; i < kReportNotes + 2; ++i) ReportNote("note %zu", i);
    EXPECT_EQ(kReportNotes, ReportedNoteCount());
    EXPECT_STREQ("note 0", ReportedNote(0));
    EXPECT_EQ(nullptr, ReportedNote(kReportNotes));
    ReportStart();
    EXPECT_EQ(nullptr, ReportedFailure());
    EXPECT_EQ(0u, ReportedNoteCount());
}

TEST(CallReport, ACallLeftByAnExceptionWithoutAReasonGetsOne) {
    try {
        ReportedCall call;
        throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
    }
    ASSERT_NE(nullptr, ReportedFailure());
    EXPECT_NE(nullptr, strstr(ReportedFailure(), "out of memory"));
    { ReportedCall call; }
    EXPECT_EQ(nullptr, ReportedFailure());
}
