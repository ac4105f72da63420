/* Counting the stop signals for the run of many boards. */
#include "tools/panelbin/stop_signals.h"

#include <errno.h>
#include <string.h>

#include <iterator>
#include <string>

#include "tools/panelbin/failure.h"

namespace {

const int kStops[] = {SIGINT, SIGTERM, SIGHUP};
/* The stops, then SIGPIPE: the order of m_old. */
const int kTaken[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

volatile sig_atomic_t gCount = 0;
volatile sig_atomic_t gLast = 0;

void CountSignal(int signal) {
    gLast = signal;
    gCount = gCount + 1;
}

}  // namespace

StopSignals::StopSignals() {
    gCount = 0;
    gLast = 0;
    sigset_t stops;
    sigemptyset(&stops);
    for (int stop : kStops) sigaddset(&stops, stop);
    struct sigaction counting;
    memset(&counting, 0, sizeof counting);
    counting.sa_handler = CountSignal;
    sigfillset(&counting.sa_mask);
    struct sigaction ignoring = counting;
    ignoring.sa_handler = SIG_IGN;
    static_assert(std::size(kTaken) == sizeof m_old / sizeof m_old[0], "one saved action per signal taken");
    bool taken = sigprocmask(SIG_BLOCK, &stops, &m_oldMask) == 0;
    for (size_t i = 0; taken && i < std::size(kTaken); ++i)
        taken = sigaction(kTaken[i], kTaken[i] == SIGPIPE ? &ignoring : &counting, &m_old[i]) == 0;
    if (!taken)
        throw Failure(kExitFailed, std::string("the stop signals cannot be taken: ") + strerror(errno));
    m_waitMask = m_oldMask;
    for (int stop : kStops) sigdelset(&m_waitMask, stop);
}

/* The mask first: a stop still pending is counted, not let end the process
 * by its old disposition after the run has been told. Restoring what the
 * constructor read cannot fail, and a destructor could not report it. */
StopSignals::~StopSignals() {
    sigprocmask(SIG_SETMASK, &m_oldMask, nullptr);
    for (size_t i = 0; i < std::size(kTaken); ++i) sigaction(kTaken[i], &m_old[i], nullptr);
}

void StopSignals::TakePending() const {
    sigset_t held;
    if (sigprocmask(SIG_SETMASK, &m_waitMask, &held) != 0 || sigprocmask(SIG_SETMASK, &held, nullptr) != 0)
        throw Failure(kExitFailed, std::string("the signal mask cannot be set: ") + strerror(errno));
}

int StopSignals::Count() const { return gCount; }

const char* StopSignals::LastName() const {
    return gLast == SIGINT    ? "SIGINT"
           : gLast == SIGTERM ? "SIGTERM"
           : gLast == SIGHUP  ? "SIGHUP"
                              : "a signal";
}

bool StopSignals::SetUpChild() const {
    for (int stop : kStops)
        if (signal(stop, SIG_IGN) == SIG_ERR) return false;
    return sigprocmask(SIG_SETMASK, &m_oldMask, nullptr) == 0;
}
