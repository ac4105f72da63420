/* The call deadline of the thread that runs a board call, and the limit each wait gets from it. */
#include "comm/BoardCall.h"

#include <algorithm>

namespace {

/* The deadline of the outermost call on this thread, or null. The link is
 * process-wide, but a call's limit belongs to the thread that makes it. */
thread_local const Deadline* tCall = nullptr;

}  // namespace

BoardCall::BoardCall() : m_deadline(kBoardCallLimitMs), m_outer(tCall) {
    if (m_outer == nullptr) tCall = &m_deadline;
}

BoardCall::~BoardCall() {
    if (m_outer == nullptr) tCall = nullptr;
}

const Deadline& BoardCall::Limit() const { return m_outer != nullptr ? *m_outer : m_deadline; }

Deadline BoardCall::ForWait(uint64_t ownLimitMs) {
    if (tCall == nullptr) return Deadline(ownLimitMs);
    return Deadline(std::min(ownLimitMs, tCall->RemainingMs()));
}

bool BoardCall::RanOut() { return tCall != nullptr && tCall->Expired(); }
