/* The time limits of the board link: a deadline starts with its limit, says
 * how much of it is left, and waits in poll() for a descriptor no longer
 * than that. Both transports measure every wait with it, on the monotonic
 * clock of the system-call table, so no wait of the link is unbounded. */
#ifndef BASE_DEADLINE_H
#define BASE_DEADLINE_H

#include <stdint.h>

class Deadline {
public:
    /* Starts now; ends `limitMs` milliseconds later. */
    explicit Deadline(uint64_t limitMs);

    /* Milliseconds left, 0 once it has passed. */
    uint64_t RemainingMs() const;
    bool Expired() const;

    /* Waits until `fd` is ready for `events` or the deadline passes. As
     * poll(): > 0 ready (what happened in *revents), 0 when the deadline
     * passed (errno ETIMEDOUT), < 0 on failure (errno). A signal that
     * interrupts the wait neither ends nor stretches it. */
    int Poll(int fd, short events, short* revents) const;

private:
    uint64_t m_end;
};

#endif
