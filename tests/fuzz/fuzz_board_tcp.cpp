/* Board replies over TCP: a read or a write through the flat functions,
 * answered by a board on the loopback address whose bytes are the input.
 *
 * The harness listens on 127.0.0.1; per run a thread accepts the library's
 * connection and plays the board. The library reads exactly what the
 * exchange calls for, so what it makes of the board's bytes is fixed by the
 * input alone, and a model of the exchange predicts it: up to three frames
 * while the first respond is not 0xD0, a read's reply and checksum, the
 * final 0xE0. Result, reply bytes and every frame must be as predicted. */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdint.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "tests/fuzz/board_peer.h"

namespace {

using boardpeer::Bytes;

const uint8_t kFirst = 0xD0;
const uint8_t kFinal = 0xE0;

int g_listener = -1;
int g_port = 0;

/* The library takes ports up to 32767 only: try a few in its range. */
void Listen() {
    g_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    FUZZ_CHECK(g_listener >= 0);
    int yes = 1;
    FUZZ_CHECK(setsockopt(g_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0);
    for (int attempt = 0; attempt < 2000 && g_port == 0; ++attempt) {
        int port = 20000 + (getpid() + attempt * 7) % 12000;
        struct sockaddr_in address;
        memset(&address, 0, sizeof address);
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(g_listener, reinterpret_cast<struct sockaddr*>(&address), sizeof address) == 0)
            g_port = port;
    }
    FUZZ_CHECK(g_port != 0 && listen(g_listener, 4) == 0);
}

/* What the library must make of the stream. */
struct Prediction {
    bool ok = false;
    size_t replyAt = 0;            /* where a read's reply starts in the stream */
    std::vector<size_t> attemptEnd; /* stream bytes used up by the end of each frame's answer */
};

Prediction Predict(const Bytes& s, bool read, size_t recvLength) {
    Prediction p;
    size_t at = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (at >= s.size()) break;
        if (s[at++] != kFirst) { /* the frame goes again */
            p.attemptEnd.push_back(at);
            continue;
        }
        if (read) {
            p.replyAt = at;
            bool whole = s.size() - at >= recvLength + 4;
            p.ok = whole && boardpeer::GetU32(s.data() + at + recvLength) ==
                                boardpeer::Sum(s.data() + at, recvLength);
            at = whole ? at + recvLength + 4 : s.size();
        } else {
            p.ok = true;
        }
        p.ok = p.ok && at < s.size() && s[at] == kFinal;
        break;
    }
    /* The frame whose answer ends the request gets the rest of the stream. */
    if (p.attemptEnd.size() < 3) p.attemptEnd.push_back(s.size());
    p.attemptEnd.back() = s.size();
    return p;
}

void SendAll(int fd, const uint8_t* bytes, size_t n) {
    size_t sent = 0;
    while (sent < n) {
        ssize_t k = send(fd, bytes + sent, n - sent, MSG_NOSIGNAL);
        if (k <= 0) return; /* the library may hang up before reading it all */
        sent += static_cast<size_t>(k);
    }
}

/* The board's side of one request: after each frame the stream's bytes
 * that answer it, the rest after the last one, then its sending side closed
 * (a stream too short ends in end-of-file, never in a wait). The library
 * hangs up with bytes unread, which resets the connection: answering frame
 * by frame means that by then every frame has been read. */
void Board(const Bytes& stream, const Prediction& p, size_t frameSize, Bytes* received) {
    FUZZ_CHECK(boardpeer::WaitReadable(g_listener));
    int fd = accept4(g_listener, nullptr, nullptr, SOCK_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    /* Closing with a reset leaves no TIME_WAIT behind, so thousands of
     * connections a second never run out of ports. */
    struct linger reset = {1, 0};
    FUZZ_CHECK(setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset) == 0);
    size_t answered = 0;
    for (size_t end : p.attemptEnd) {
        Bytes frame = boardpeer::ReadExactly(fd, frameSize);
        received->insert(received->end(), frame.begin(), frame.end());
        if (frame.size() < frameSize) break;
        SendAll(fd, stream.data() + answered, end - answered);
        answered = end;
    }
    shutdown(fd, SHUT_WR);
    uint8_t chunk[4096];
    while (boardpeer::WaitReadable(fd)) {
        ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        received->insert(received->end(), chunk, chunk + n);
    }
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    signal(SIGPIPE, SIG_IGN);
    Listen();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    boardpeer::Input in(data, size);
    boardpeer::Request request(in);
    Bytes stream = in.Rest();

    size_t recvLength = static_cast<size_t>(request.recvLength);
    Prediction p = Predict(stream, request.read, recvLength);
    Bytes frame = request.WireHeader();
    Bytes part = request.DataPart();
    frame.insert(frame.end(), part.begin(), part.end());

    FUZZ_CHECK(StartEthernetConnection("127.0.0.1", g_port) == 1);
    Bytes received;
    std::thread board(Board, std::cref(stream), std::cref(p), frame.size(), &received);
    Bytes reply;
    int result = request.Issue(&reply);
    board.join();

    FUZZ_CHECK(result == (p.ok ? 1 : 0));
    if (p.ok && request.read) boardpeer::CheckReply(reply, stream.data() + p.replyAt, recvLength);
    if (!p.ok) FUZZ_CHECK(GetStrErr() != nullptr && GetStrErr()[0] != '\0');

    /* Every attempt sends the whole frame again, unchanged. */
    size_t frames = p.attemptEnd.size();
    FUZZ_CHECK(received.size() == frame.size() * frames);
    for (size_t i = 0; i < frames; ++i)
        FUZZ_CHECK(memcmp(received.data() + frame.size() * i, frame.data(), frame.size()) == 0);
    return 0;
}
