/* Board replies over a serial line: a link started on a pseudo-terminal, a
 * read or a write through the flat functions, and the end of the link with
 * its end-of-link frame, each answer of the board taken from the input.
 *
 * Board bytes: the length and bytes of the answer to the header (A), of the
 * answer to the end-of-link frame (C), then the answer to the data part (B),
 * as long as the rest of the input. The serial link discards unread input
 * before every send, so the board answers each part only once it has
 * received it, as a real board does. An answer shorter than the library
 * waits for is followed by the board hanging up (the pseudo-terminal's
 * master closed once the library has taken every byte), so no run waits.
 *
 * Checked: the start text, header, data part and end-of-link frame arrive
 * as the link defines them; the result is what the answers call for (0xA0,
 * then 0xB0, then for a read the reply and its checksum); a read stores
 * exactly the reply; ending the link always reports success. */
#include <fcntl.h>
#include <pty.h>
#include <stdint.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "tests/fuzz/board_peer.h"

namespace {

using boardpeer::Bytes;

const uint8_t kFirst = 0xA0;
const uint8_t kSecond = 0xB0;
const uint16_t kEndOfLinkCmd = 0x1000;
const char kStartText[] = "kest_pq_tool.sh";

struct Answers {
    Bytes header;  /* A */
    Bytes end;     /* C */
    Bytes data;    /* B */
};

/* One pseudo-terminal per run: the board's master side, and a slave
 * descriptor of the harness's own that sees what the library leaves
 * unread. */
class Line {
public:
    Line() {
        struct termios raw;
        memset(&raw, 0, sizeof raw);
        cfmakeraw(&raw);
        char name[128];
        FUZZ_CHECK(openpty(&m_master, &m_slave, name, &raw, nullptr) == 0);
        m_name = name;
    }
    ~Line() {
        HangUp();
        close(m_slave);
    }
    const char* Name() const { return m_name.c_str(); }
    int Master() const { return m_master; }

    void HangUp() {
        if (m_master >= 0) close(m_master);
        m_master = -1;
    }
    /* Hangs up once the library has read every byte sent to it. */
    void HangUpWhenRead() {
        for (int i = 0; i < 30000; ++i) {
            int pending = 0;
            FUZZ_CHECK(ioctl(m_slave, FIONREAD, &pending) == 0);
            if (pending == 0) break;
            struct timespec pause = {0, 100000};
            nanosleep(&pause, nullptr);
        }
        HangUp();
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_name;
};

/* The bytes the board receives next must be these. */
void Expect(int master, const Bytes& expected) {
    Bytes got = boardpeer::ReadExactly(master, expected.size());
    FUZZ_CHECK(got == expected);
}

/* The board: answers each part of the exchange once it has it. */
void Board(Line* line, const boardpeer::Request* request, const Answers* answers) {
    int master = line->Master();
    Expect(master, Bytes(kStartText, kStartText + sizeof kStartText - 1));
    Expect(master, request->WireHeader());
    boardpeer::WriteAll(master, answers->header);
    if (answers->header.empty()) return line->HangUp();
    if (answers->header[0] == kFirst) {
        Expect(master, request->DataPart());
        boardpeer::WriteAll(master, answers->data);
        const Bytes& b = answers->data;
        size_t wanted = !b.empty() && b[0] == kSecond && request->read
                            ? 1 + static_cast<size_t>(request->recvLength) + 4
                            : 1;
        if (b.size() < wanted) return line->HangUpWhenRead();
    }
    /* A failed request too is followed by the end of the link. */
    Expect(master, boardpeer::Header(boardpeer::kDefaultMagic, kEndOfLinkCmd, 0));
    boardpeer::WriteAll(master, answers->end);
    if (answers->end.empty()) line->HangUp();
}

bool Succeeds(const boardpeer::Request& request, const Answers& answers) {
    const Bytes& a = answers.header;
    const Bytes& b = answers.data;
    if (a.empty() || a[0] != kFirst || b.empty() || b[0] != kSecond) return false;
    if (!request.read) return true;
    size_t n = static_cast<size_t>(request.recvLength);
    return b.size() >= 1 + n + 4 && boardpeer::GetU32(b.data() + 1 + n) == boardpeer::Sum(b.data() + 1, n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    boardpeer::Input in(data, size);
    boardpeer::Request request(in);
    Answers answers;
    answers.header = in.Take(in.Byte());
    answers.end = in.Take(in.Byte());
    answers.data = in.Rest();

    Line line;
    std::thread board(Board, &line, &request, &answers);
    FUZZ_CHECK(StartUARTConnectionWithoutParam(line.Name(), 5000) == 1);
    Bytes reply;
    int result = request.Issue(&reply);
    int ended = EndConnection();
    board.join();

    FUZZ_CHECK(ended == 1);
    bool ok = Succeeds(request, answers);
    FUZZ_CHECK(result == (ok ? 1 : 0));
    if (ok && request.read)
        boardpeer::CheckReply(reply, answers.data.data() + 1, static_cast<size_t>(request.recvLength));
    return 0;
}
