/* The one time limit of a board call. Each wait of the link has a limit of
 * its own (3 s for a connect, 5 s for a send or a receive), but a call
 * chains several of them, retries included, and may first wait for the
 * link itself; without a limit on the whole, one call could hold its caller
 * for half a minute. A call's clock starts when it enters the library,
 * before it waits for the link, and every wait inside it ends by the
 * smaller of its own limit and what is left of the call's. */
#ifndef BOARDCALL_H
#define BOARDCALL_H

#include <stdint.h>

#include "base/Deadline.h"

/* How long one board call (a start, a request, an end) takes at most, the
 * wait for the link included. */
const uint64_t kBoardCallLimitMs = 10000;

/* How long the end of a serial link waits for its frame to go out and for
 * the board's answer together; the port is closed afterwards whatever came. */
const uint64_t kEndOfLinkLimitMs = 2000;

/* The board call running on this thread. The outermost BoardCall on a
 * thread starts the call's clock; one made inside it (the facade under the
 * flat interface, a transport under the facade) joins that call. So a class
 * method called directly still gets a limit of its own, and one called by
 * another gets what is left of its caller's. */
class BoardCall {
public:
    BoardCall();
    ~BoardCall();
    BoardCall(const BoardCall&) = delete;
    BoardCall& operator=(const BoardCall&) = delete;

    /* The deadline of the call this object belongs to. */
    const Deadline& Limit() const;

    /* A deadline for one wait: `ownLimitMs`, or what is left of the call on
     * this thread, whichever is less (`ownLimitMs` when no call runs). */
    static Deadline ForWait(uint64_t ownLimitMs);

    /* True when the call on this thread has used up its limit. */
    static bool RanOut();

private:
    Deadline m_deadline;
    const Deadline* m_outer;
};

#endif
