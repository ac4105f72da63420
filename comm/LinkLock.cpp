/* The board link's lock, waited for no longer than the call's deadline. */
#include "comm/LinkLock.h"

#include <chrono>

#include "base/Deadline.h"

/* The time left is read on the link's clock at every wake-up, so the wait
 * ends with the caller's deadline however the sleep itself is measured. A
 * call with no time left does not take the link even if it is free: it
 * could only start an exchange it has no time to finish. */
bool LinkLock::LockBefore(const Deadline& deadline) {
    std::unique_lock<std::mutex> guard(m_mutex);
    for (;;) {
        uint64_t left = deadline.RemainingMs();
        if (left == 0) return false;
        if (!m_held) break;
        m_freed.wait_for(guard, std::chrono::milliseconds(left));
    }
    m_held = true;
    return true;
}

/* Every waiter looks again: one woken alone might just have given up. */
void LinkLock::Unlock() {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_held = false;
    }
    m_freed.notify_all();
}
