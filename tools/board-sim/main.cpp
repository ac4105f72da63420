/* board-sim: plays a television main board's side of the board link, over
 * TCP on the loopback address and/or over a pseudo-terminal, so that the
 * library, its tests and its users can work without a board. It prints
 * where it listens ("tcp 127.0.0.1 PORT", "pty PATH"), then "ready", on
 * standard output for programs, and the same in one line for a person on
 * standard error; then runs until SIGINT or SIGTERM. SIGUSR1 clears the
 * hang fault. */
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/board-sim/board.h"
#include "tools/board-sim/faults.h"
#include "tools/board-sim/options.h"
#include "tools/board-sim/recorder.h"
#include "tools/board-sim/serial_server.h"
#include "tools/board-sim/tcp_server.h"

namespace {

volatile sig_atomic_t gStopRequested = 0;
volatile sig_atomic_t gClearRequested = 0;

void RequestStop(int) { gStopRequested = 1; }
void RequestClear(int) { gClearRequested = 1; }

/* SIGINT, SIGTERM and SIGUSR1 stay blocked except inside ppoll, so a
 * request is seen at once and never lost between two waits. Returns the
 * mask to wait with. */
bool InstallSignals(sigset_t* waitMask) {
    struct sigaction stop, clear;
    memset(&stop, 0, sizeof stop);
    stop.sa_handler = RequestStop;
    clear = stop;
    clear.sa_handler = RequestClear;
    sigset_t taken;
    sigemptyset(&taken);
    sigaddset(&taken, SIGINT);
    sigaddset(&taken, SIGTERM);
    sigaddset(&taken, SIGUSR1);
    // A client that hangs up must not end the simulator.
    return signal(SIGPIPE, SIG_IGN) != SIG_ERR && sigaction(SIGINT, &stop, nullptr) == 0 &&
           sigaction(SIGTERM, &stop, nullptr) == 0 && sigaction(SIGUSR1, &clear, nullptr) == 0 &&
           sigprocmask(SIG_BLOCK, &taken, waitMask) == 0;
}

int Fail(const char* what) {
    fprintf(stderr, "board-sim: %s: %s\n", what, strerror(errno));
    return 1;
}

int Serve(TcpServer* tcp, SerialServer* serial, Faults* faults, const sigset_t& waitMask) {
    while (!gStopRequested) {
        std::vector<struct pollfd> fds;
        if (tcp != nullptr) tcp->AddPollFds(&fds);
        if (serial != nullptr) fds.push_back({serial->Fd(), POLLIN, 0});
        int ready = ppoll(fds.data(), fds.size(), nullptr, &waitMask);
        /* ppoll returns ready requests without taking a signal that came
         * with them; a moment unblocked takes it, so a clear comes first. */
        sigset_t held;
        if (sigprocmask(SIG_SETMASK, &waitMask, &held) != 0 || sigprocmask(SIG_SETMASK, &held, nullptr) != 0)
            return Fail("signals");
        if (gClearRequested) {
            gClearRequested = 0;
            faults->Clear(kHang);
        }
        if (ready < 0) {
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
    if (options.help) {
        fputs(kUsage, stdout);
        return fflush(stdout) == 0 ? 0 : 1;
    }
    Faults faults;
    for (const std::string& fault : options.faults) {
        if (!faults.Add(fault)) {
            fprintf(stderr, "board-sim: unknown fault %s\n%s", fault.c_str(), kUsage);
            return 2;
        }
    }
    sigset_t waitMask;
    if (!InstallSignals(&waitMask)) return Fail("signals");
    Recorder recorder(options.verbose);
    if (!options.recordPath.empty() && !recorder.Open(options.recordPath))
        return Fail(options.recordPath.c_str());
    Board board(options.r120, faults);

    std::unique_ptr<TcpServer> tcp;
    std::string where;
    if (options.tcp) {
        tcp.reset(new TcpServer(board, faults, recorder));
        if (!tcp->Listen(options.tcpPort)) return Fail("tcp");
        printf("tcp 127.0.0.1 %d\n", tcp->Port());
        where = "--tcp 127.0.0.1:" + std::to_string(tcp->Port());
    }
    std::unique_ptr<SerialServer> serial;
    if (options.pty) {
        serial.reset(new SerialServer(board, faults, recorder));
        if (!serial->Open()) return Fail("pty");
        printf("pty %s\n", serial->SlavePath().c_str());
        where += (where.empty() ? "--serial " : " or --serial ") + serial->SlavePath();
    }
    printf("ready\n");
    if (fflush(stdout) != 0) return Fail("stdout");
    fprintf(stderr, "board-sim: an %s board at %s; Ctrl-C ends it\n", options.r120 ? "R120" : "R100",
            where.c_str());
    return Serve(tcp.get(), serial.get(), &faults, waitMask);
}
