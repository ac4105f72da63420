/* board-sim: plays a television main board's side of the board link, over
 * TCP on the loopback address and/or over a pseudo-terminal, so that the
 * library, its tests and its users can work without a board. It prints
 * where it listens ("tcp 127.0.0.1 PORT", "pty PATH"), then "ready", and
 * runs until SIGINT or SIGTERM. */
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <vector>

#include "tools/board-sim/board.h"
#include "tools/board-sim/faults.h"
#include "tools/board-sim/options.h"
#include "tools/board-sim/recorder.h"
#include "tools/board-sim/serial_server.h"
#include "tools/board-sim/tcp_server.h"

namespace {

volatile sig_atomic_t gStopRequested = 0;

void RequestStop(int) { gStopRequested = 1; }

/* SIGINT and SIGTERM stay blocked except inside ppoll, so a stop request
 * is seen at once and never lost between two waits. Returns the mask to
 * wait with. */
bool InstallStopSignals(sigset_t* waitMask) {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = RequestStop;
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    // A client that hangs up must not end the simulator.
    return signal(SIGPIPE, SIG_IGN) != SIG_ERR && sigaction(SIGINT, &action, nullptr) == 0 &&
           sigaction(SIGTERM, &action, nullptr) == 0 &&
           sigprocmask(SIG_BLOCK, &stops, waitMask) == 0;
}

int Fail(const char* what) {
    fprintf(stderr, "board-sim: %s: %s\n", what, strerror(errno));
    return 1;
}

int Serve(TcpServer* tcp, SerialServer* serial, const sigset_t& waitMask) {
    while (!gStopRequested) {
        std::vector<struct pollfd> fds;
        if (tcp != nullptr) tcp->AddPollFds(&fds);
        if (serial != nullptr) fds.push_back({serial->Fd(), POLLIN, 0});
        if (ppoll(fds.data(), fds.size(), nullptr, &waitMask) < 0) {
            if (errno == EINTR) continue;
            return Fail("poll");
        }
        for (const struct pollfd& entry : fds) {
            if (entry.revents == 0) continue;
            if (serial != nullptr && entry.fd == serial->Fd()) {
                if (!serial->OnReadable()) return Fail("pseudo-terminal");
            } else if (tcp != nullptr) {
                tcp->OnEvent(entry.fd);
            }
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        fputs(kUsage, stderr);
        return 2;
    }
    Faults faults;
    for (const std::string& fault : options.faults) {
        if (!faults.Add(fault)) {
            fprintf(stderr, "board-sim: unknown fault %s\n%s", fault.c_str(), kUsage);
            return 2;
        }
    }
    sigset_t waitMask;
    if (!InstallStopSignals(&waitMask)) return Fail("signals");
    Recorder recorder(options.verbose);
    if (!options.recordPath.empty() && !recorder.Open(options.recordPath))
        return Fail(options.recordPath.c_str());
    Board board(options.r120);

    std::unique_ptr<TcpServer> tcp;
    if (options.tcp) {
        tcp.reset(new TcpServer(board, faults, recorder));
        if (!tcp->Listen(options.tcpPort)) return Fail("tcp");
        printf("tcp 127.0.0.1 %d\n", tcp->Port());
    }
    std::unique_ptr<SerialServer> serial;
    if (options.pty) {
        serial.reset(new SerialServer(board, faults, recorder));
        if (!serial->Open()) return Fail("pty");
        printf("pty %s\n", serial->SlavePath().c_str());
    }
    printf("ready\n");
    if (fflush(stdout) != 0) return Fail("stdout");
    return Serve(tcp.get(), serial.get(), waitMask);
}
