/* Deadlines on the monotonic clock of the system-call table, and the one
 * poll() wait that never outlasts its deadline. */
#include "base/Deadline.h"

#include <errno.h>
#include <limits.h>
#include <poll.h>

#include "base/SysCalls.h"

Deadline::Deadline(uint64_t limitMs) : m_end(Sys().NowMs() + limitMs) {}

uint64_t Deadline::RemainingMs() const {
    uint64_t now = Sys().NowMs();
    return now >= m_end ? 0 : m_end - now;
}

bool Deadline::Expired() const { return RemainingMs() == 0; }

int Deadline::Poll(int fd, short events, short* revents) const {
    for (;;) {
        uint64_t left = RemainingMs();
        int wait = left > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(left);
        struct pollfd entry = {fd, events, 0};
        int ready = Sys().Poll(&entry, 1, wait);
        if (ready < 0 && errno == EINTR) continue;
        *revents = entry.revents;
        // poll() may wake a little early by its own clock: wait out the rest.
        if (ready == 0 && RemainingMs() > 0) continue;
        if (ready == 0) errno = ETIMEDOUT;
        return ready;
    }
}
