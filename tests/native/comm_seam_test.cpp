/* The board link over a line that exists only in the system-call table:
 * full output buffers, interrupted and failing calls and thrown exceptions,
 * on a clock that moves only when a wait runs out or a step says so. No
 * real time passes. */
#include <errno.h>
#include <string.h>

#include <unistd.h>

#include <atomic>
#include <deque>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "board/panel_transfer.h"
#include "base/SysCalls.h"
#include "jni/com_kestrel_vimora_jni_JNIMakeBin.h"
#include "tests/native/comm_test_support.h"

namespace {

const uint64_t kNever = UINT64_MAX;

/* What one write or send does: takes `bytes` (at most what was asked), or
 * fails with `error`; `takesMs` of the clock pass meanwhile. */
struct Step {
    ssize_t bytes;
    int error;
    uint64_t takesMs;
};

Step Takes(ssize_t bytes, uint64_t takesMs = 0) { return {bytes, 0, takesMs}; }
Step FailsWith(int error) { return {-1, error, 0}; }

/* The steered clock, read by several threads in the lock tests. */
std::atomic<uint64_t> gNow(1000000);

/* Answers that arrive after a delay, one per wait for input. */
typedef std::deque<std::pair<uint64_t, std::vector<KS_U8>>> Later;

struct FakeLine {
    Later later;
    std::deque<Step> writes;      // when none is left, a write takes everything
    uint64_t roomAfterMs = 0;     // how long a wait for room lasts; kNever: no room comes
    std::deque<KS_U8> input;      // what the board has sent
    bool throws = false;          // every write, send and socket() throws
    bool wakesEarly = false;      // a wait that runs out ends after half its time-out
};

FakeLine* gLine = nullptr;

void ThrowIfAsked() {
    if (gLine->throws) throw std::bad_alloc();
}

ssize_t FakeWrite(int, const void*, size_t n) {
    ThrowIfAsked();
    if (gLine->writes.empty()) return static_cast<ssize_t>(n);
    Step step = gLine->writes.front();
    gLine->writes.pop_front();
    gNow += step.takesMs;
    if (step.error != 0) {
        errno = step.error;
        return -1;
    }
    return std::min(step.bytes, static_cast<ssize_t>(n));
}

ssize_t FakeRead(int, void* buf, size_t n) {
    size_t count = 0;
    for (; count < n && !gLine->input.empty(); ++count) {
        static_cast<KS_U8*>(buf)[count] = gLine->input.front();
        gLine->input.pop_front();
    }
    if (count > 0) return static_cast<ssize_t>(count);
    errno = EAGAIN;
    return -1;
}

/* Runs once, in the next wait on the line, while that call holds the link. */
std::function<void()> gInPoll;

int AwaitLater(struct pollfd* entry, int timeoutMs) {
    std::pair<uint64_t, std::vector<KS_U8>>& next = gLine->later.front();
    uint64_t wait = std::min(next.first, static_cast<uint64_t>(timeoutMs));
    gNow += wait;
    next.first -= wait;
    entry->revents = next.first == 0 ? entry->events : 0;
    if (next.first != 0) return 0;
    gLine->input.insert(gLine->input.end(), next.second.begin(), next.second.end());
    gLine->later.pop_front();
    return 1;
}

/* Input is there or not; room comes after roomAfterMs. A wait that runs out
 * moves the clock by its whole time-out, as a real one would. */
int FakePoll(struct pollfd* entry, nfds_t, int timeoutMs) {
    std::function<void()> hook;
    hook.swap(gInPoll);
    if (hook) hook();
    if (!(entry->events & POLLOUT) && gLine->input.empty() && !gLine->later.empty())
        return AwaitLater(entry, timeoutMs);
    uint64_t wait = entry->events & POLLOUT ? gLine->roomAfterMs : (gLine->input.empty() ? kNever : 0);
    if (wait > static_cast<uint64_t>(timeoutMs)) {
        gNow += static_cast<uint64_t>(gLine->wakesEarly ? (timeoutMs + 1) / 2 : timeoutMs);
        entry->revents = 0;
        return 0;
    }
    gNow += wait;
    entry->revents = entry->events;
    return 1;
}

int FakeOpen(const char*, int) { return 1000; }
int FakeClose(int) { return 0; }
int Succeeds2(int, int) { return 0; }
int FakeGetAttr(int, struct termios* line) {
    memset(line, 0, sizeof *line);
    return 0;
}
int FakeSetAttr(int, int, const struct termios*) { return 0; }
int FakeSocket(int, int, int) {
    ThrowIfAsked();
    return 1001;
}
int FakeConnect(int, const struct sockaddr*, socklen_t) { return 0; }
int FakeGetSockOpt(int, int, int, void*, socklen_t*) { return 0; }
ssize_t FakeSend(int fd, const void* buf, size_t n, int) { return FakeWrite(fd, buf, n); }
ssize_t FakeRecv(int fd, void* buf, size_t n, int) { return FakeRead(fd, buf, n); }
/* A waiter reads the clock for its call's deadline, then, under the lock's
 * own mutex, for the time left before it sleeps: from then on it sees the
 * link change hands. */
thread_local bool tWaiter = false;
thread_local int tClockReads = 0;
std::atomic<int> gWaitersAsleep(0);

uint64_t FakeNow() {
    if (tWaiter && ++tClockReads == 2) ++gWaitersAsleep;
    return gNow;
}

const SysCalls kFake = {FakeOpen,   FakeClose,   FakeRead,       FakeWrite, FakePoll, FakeGetAttr,
                        FakeSetAttr, Succeeds2,  /* tcflush */ Succeeds2, /* fcntl */
                        Succeeds2,  /* flock */ FakeSocket, FakeConnect, FakeGetSockOpt,
                        FakeSend,   FakeRecv,    FakeNow,
                        /* the file calls: none on a board line */
                        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

class CommSeam : public BoardLinkTest {
protected:
    void SetUp() override {
        gLine = &line;
        ASSERT_EQ(1, StartUARTConnectionWithoutParam("/dev/fake", 5000)) << LinkText();
    }
    void TearDown() override {
        line = FakeLine();
        line.input = {0x00};  // the board answers the end-of-link frame
        BoardLinkTest::TearDown();
        gLine = nullptr;
    }
    /* Serial answers to the two halves of a write request. */
    void BoardAcceptsAWrite() { line.input = {0xA0, 0xB0}; }

    FakeLine line;
    SysCallsOverride seam{kFake};
};

const unsigned char kData[100] = {1, 2, 3};

}  // namespace

TEST_F(CommSeam, ASerialSendWaitsForRoomAtMostFiveSecondsAndCountsWhatCompleted) {
    struct Case {
        const char* what;
        std::vector<Step> writes;  // from the header's write on
        uint64_t roomAfterMs;
        int result;
        const char* text;  // null: whatever text stood before
        uint64_t elapsedMs;
    };
    const std::string timedOut = "Connection timed out errno:110";
    const Case cases[] = {
        {"the line stops taking bytes mid-data", {Takes(12), Takes(40), FailsWith(EAGAIN)}, kNever,
         0, "Failed to write. Failed to send data and checksum.", 5000},
        {"the line stops taking bytes at the header", {FailsWith(EAGAIN)}, kNever, 0,
         "Failed to write. Failed to send header.", 5000},
        {"interrupted, then everything", {Takes(12), FailsWith(EINTR), Takes(104)}, kNever, 1,
         nullptr, 0},
        {"room comes back just in time", {Takes(12), Takes(50), FailsWith(EAGAIN)}, 4900, 1,
         nullptr, 4900},
        {"the last bytes go out past the limit", {Takes(12), Takes(104, 6000)}, kNever, 1, nullptr,
         6000},
        {"the device fails", {Takes(12), FailsWith(EIO)}, kNever, 0,
         "Failed to write. Failed to send data and checksum.Input/output error errno:5", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoardAcceptsAWrite();
        line.writes.assign(c.writes.begin(), c.writes.end());
        line.roomAfterMs = c.roomAfterMs;
        std::string before = LinkText();
        uint64_t start = gNow;
        EXPECT_EQ(c.result, WriteMSGWithoutCmd(kData, sizeof kData));
        EXPECT_EQ(c.elapsedMs, gNow - start);
        if (c.text == nullptr) {
            EXPECT_EQ(before, LinkText());
        } else if (c.elapsedMs == 5000) {
            EXPECT_EQ(c.text + timedOut, LinkText());
        } else {
            EXPECT_EQ(c.text, LinkText());
        }
    }
}

TEST_F(CommSeam, ATcpSendIntoAFullBufferFailsAfterFiveSeconds) {
    ASSERT_EQ(1, StartEthernetConnection("127.0.0.1", 1000));
    line = FakeLine();
    line.roomAfterMs = kNever;
    uint64_t start = gNow;
    EXPECT_EQ(0, WriteMSGWithoutCmd(kData, sizeof kData));
    EXPECT_EQ(5000u, gNow - start);
    EXPECT_EQ("Failed to write. Failed to send data.Connection timed out", LinkText());
}

namespace {

/* Just enough of a JNIEnv to turn a Java string handle into "R100" the long
 * way (the charset is not found, so String.getBytes() is called); any other
 * class lookup throws, as an allocation deep in the JVM glue might. */
jclass kStringClass = reinterpret_cast<jclass>(&kStringClass);
jstring kChip = reinterpret_cast<jstring>(&kChip);
jbyteArray kChipBytes = reinterpret_cast<jbyteArray>(&kChipBytes);
jobject kPanel = reinterpret_cast<jobject>(&kPanel);

jboolean NoException(JNIEnv*) { return JNI_FALSE; }
jint CapacityOk(JNIEnv*, jint) { return 0; }
void ClearException(JNIEnv*) {}
jclass FindOnlyString(JNIEnv*, const char* name) {
    if (strcmp(name, "java/nio/charset/Charset") == 0) return nullptr;
    if (strcmp(name, "java/lang/String") != 0) throw std::bad_alloc();
    return kStringClass;
}
jmethodID AnyMethod(JNIEnv*, jclass, const char*, const char*) {
    return reinterpret_cast<jmethodID>(&kStringClass);
}
jobject GetBytes(JNIEnv*, jobject, jmethodID, va_list) { return kChipBytes; }
jsize ChipLength(JNIEnv*, jarray) { return 4; }
void ChipBytes(JNIEnv*, jbyteArray, jsize, jsize n, jbyte* out) { memcpy(out, "R100", static_cast<size_t>(n)); }
void DeleteRef(JNIEnv*, jobject) {}
/* The chip series read directly, as the failure reason of a board call does. */
jsize ChipUnits(JNIEnv*, jstring) { return 4; }
void ChipUtf(JNIEnv*, jstring, jsize, jsize n, char* out) {
    memcpy(out, "R100", static_cast<size_t>(n));
    out[n] = '\0';
}

struct FakeJni {
    FakeJni() : table(), env() {
        table.ExceptionCheck = NoException;
        table.ExceptionClear = ClearException;
        table.EnsureLocalCapacity = CapacityOk;
        table.FindClass = FindOnlyString;
        table.GetMethodID = AnyMethod;
        table.CallObjectMethodV = GetBytes;
        table.GetArrayLength = ChipLength;
        table.GetByteArrayRegion = ChipBytes;
        table.DeleteLocalRef = DeleteRef;
        table.GetStringLength = ChipUnits;
        table.GetStringUTFRegion = ChipUtf;
        env.functions = &table;
    }
    JNINativeInterface_ table;
    JNIEnv env;
};

}  // namespace

TEST_F(CommSeam, AnExceptionBelowAnEntryPointBecomesItsFailureResult) {
    FakeJni jni;
    line.throws = true;
    EXPECT_EQ(0, WriteMSGWithoutCmd(kData, sizeof kData));
    unsigned char reply[4];
    EXPECT_EQ(0, ReadMSGWithoutCmd(kData, 4, reply, 4));
    EXPECT_EQ(-1, readPanelDataFromBoard(&jni.env, nullptr, kPanel, kChip));
    EXPECT_EQ(-1, Java_com_kestrel_vimora_jni_JNIMakeBin_readPanelDataFromBoard(&jni.env, nullptr,
                                                                                kPanel, kChip));
    // The network start ends the serial link (its end-of-link frame throws),
    // then its request throws in socket().
    EXPECT_EQ(1, StartEthernetConnection("127.0.0.1", 1000));
    EXPECT_EQ(0, WriteMSGWithoutCmd(kData, sizeof kData));

    // The link was left usable: the lock is free and a request goes through.
    line.throws = false;
    ASSERT_EQ(1, StartUARTConnectionWithoutParam("/dev/fake", 5000));
    BoardAcceptsAWrite();
    EXPECT_EQ(1, WriteMSGWithoutCmd(kData, sizeof kData)) << LinkText();

    // The exchange succeeds, then filling the Java object throws: the board
    // operation itself turns it into -1.
    line.input = {0xA0, 0xB0};
    line.input.resize(2 + 324 + 4, 0);  // zero panel info, checksum 0
    EXPECT_EQ(-1, readPanelDataFromBoard(&jni.env, nullptr, kPanel, kChip));
    EXPECT_TRUE(line.input.empty()) << "the reply was not received";
}

namespace {

const std::string kTimedOut = "Connection timed out errno:110";
const std::string kRanOut = " The board call ran out of its 10 s limit.";

/* Starts `waiters` threads whose writes wait for the link, each within its
 * limit, and returns once they sleep. */
void CallsWaitBehind(int waiters, std::vector<std::thread>* threads) {
    for (int i = 0; i < waiters; ++i)
        threads->emplace_back([] {
            tWaiter = true;
            uint64_t from = gNow;
            EXPECT_EQ(0, WriteMSGWithoutCmd(kData, sizeof kData));
            EXPECT_LE(gNow - from, 10000u);
        });
    for (int i = 0; i < 10000 && gWaitersAsleep < waiters; ++i) usleep(1000);
}

}  // namespace

/* Elapsed: the steered clock from the call until it and every call waiting
 * behind it returned. Each text is the call's own: none carries the words of
 * the failure before it. */
TEST_F(CommSeam, NoBoardCallOutlastsItsLimitHoweverSlowlyTheBoardAnswers) {
    enum Call { kTcpRead, kTcpWrite, kSerialRead, kSerialWrite, kEnd };
    struct Case {
        const char* what;
        Call call;
        std::vector<Step> writes;
        uint64_t roomAfterMs;
        Later later;
        int waiters;  // calls waiting behind this one for the link
        std::string text;  // "" where waiters race for the last word
        uint64_t elapsedMs;
        bool wakesEarly = false;  // poll returns before its time-out has passed
    };
    const Later slowSerial = {{4900, {0xA0}}, {4900, {0xB0}}, {4900, std::vector<KS_U8>(328, 0)}};
    const Case cases[] = {
        {"TCP read, each stage after 4.9 s", kTcpRead, {}, 0,
         {{4900, {0xD0}}, {4900, std::vector<KS_U8>(324, 0)}, {4900, {0, 0, 0, 0}}, {4900, {0xE0}}}, 0,
         "Failed to read. Failed to receive checksum.Connection timed out" + kRanOut, 10000},
        {"TCP write, a wrong first respond every 4.9 s", kTcpWrite, {}, 0,
         {{4900, {0x55}}, {4900, {0x55}}, {4900, {0x55}}}, 0,
         "Failed to write. Failed to receive respond.Connection timed out" + kRanOut, 10000},
        {"serial read, each stage after 4.9 s", kSerialRead, {}, 0, slowSerial, 0,
         "Receive 0 Bytes. " + kTimedOut + "Failed to read. Failed to receive data." + kTimedOut +
             kRanOut, 10000},
        {"serial write, room and answers 4.9 s apart", kSerialWrite,
         {FailsWith(EAGAIN), Takes(12), FailsWith(EAGAIN)}, 4900, {{4900, {0xA0}}}, 0,
         "Failed to write. Failed to send data and checksum." + kTimedOut + kRanOut, 10000},
        {"end on a line whose output stopped", kEnd, {FailsWith(EAGAIN)}, kNever, {}, 0,
         "Failed to send switch header." + kTimedOut, 2000},
        {"end, the board never answers", kEnd, {}, 0, {}, 0,
         "Receive 0 Bytes. " + kTimedOut + "Failed to receive 0xA0 respond." + kTimedOut, 2000},
        {"end, the board never answers, poll waking early", kEnd, {}, 0, {}, 0,
         "Receive 0 Bytes. " + kTimedOut + "Failed to receive 0xA0 respond." + kTimedOut, 2000,
         true},
        {"a call waiting behind a slow serial read", kSerialRead, {}, 0, slowSerial, 1,
         "The board link was busy for the whole 10 s limit of the call.", 10000},
        {"a call waiting behind a mute board", kSerialRead, {}, 0, {}, 1,
         "Receive 0 Bytes. " + kTimedOut + "Failed to write. Failed to receive 0xA0 respond." +
             kTimedOut + kRanOut, 10000},
        {"three calls waiting behind a mute board", kSerialRead, {}, 0, {}, 3, "", 10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        line = FakeLine();
        line.input = {0x00};  // answers the end of the link before
        bool tcp = c.call == kTcpRead || c.call == kTcpWrite;
        ASSERT_EQ(1, tcp ? StartEthernetConnection("127.0.0.1", 1000)
                         : StartUARTConnectionWithoutParam("/dev/fake", 5000));
        line.input.clear();
        line.writes.assign(c.writes.begin(), c.writes.end());
        line.roomAfterMs = c.roomAfterMs;
        line.later = c.later;
        line.wakesEarly = c.wakesEarly;
        std::vector<std::thread> waiters;
        gWaitersAsleep = 0;
        gInPoll = [&] { CallsWaitBehind(c.waiters, &waiters); };
        std::vector<unsigned char> image(324);
        uint64_t start = gNow;
        if (c.call == kEnd) {
            EXPECT_EQ(1, EndConnection());
        } else {
            bool read = c.call == kTcpRead || c.call == kSerialRead;
            EXPECT_EQ(0, read ? ReadPanel(&image) : WriteMSGWithoutCmd(kData, sizeof kData));
        }
        gInPoll = nullptr;
        for (std::thread& w : waiters) w.join();
        EXPECT_EQ(c.elapsedMs, gNow - start);
        if (!c.text.empty()) {
            EXPECT_EQ(c.text, LinkText());
        }
    }
}

TEST_F(CommSeam, NoFailureTextOutgrowsItsCap) {
    // 1201 bytes of port name: a cut at 1024 would split the last character.
    std::string name = "/";
    for (int i = 0; i < 600; ++i) name += "\xc3\xa9";
    ASSERT_EQ(1, StartUARTConnectionWithoutParam(name.c_str(), 5000));
    EXPECT_EQ(name.substr(0, 1023), LinkText());
}
