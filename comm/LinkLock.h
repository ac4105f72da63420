/* The lock that serialises the board link, taken against a deadline: a
 * call that cannot have the link before its deadline gives up instead of
 * queueing for ever behind calls to a board that does not answer. */
#ifndef LINKLOCK_H
#define LINKLOCK_H

#include <condition_variable>
#include <mutex>

class Deadline;

class LinkLock {
public:
    /* True once held; false when the deadline passed first. */
    bool LockBefore(const Deadline& deadline);
    void Unlock();

private:
    std::mutex m_mutex;
    std::condition_variable m_freed;
    bool m_held = false;
};

/* Holds the link, if it could be had before the deadline, for one scope. */
class LinkHold {
public:
    LinkHold(LinkLock& lock, const Deadline& deadline)
        : m_lock(lock), m_held(lock.LockBefore(deadline)) {}
    ~LinkHold() {
        if (m_held) m_lock.Unlock();
    }
    LinkHold(const LinkHold&) = delete;
    LinkHold& operator=(const LinkHold&) = delete;

    bool Held() const { return m_held; }

private:
    LinkLock& m_lock;
    bool m_held;
};

#endif
