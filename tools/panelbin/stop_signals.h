/* The signals that cancel a run of many boards. While the object lives,
 * SIGINT, SIGTERM and SIGHUP are counted instead of ending the process and
 * stay blocked except inside ppoll with WaitMask(), so none is lost between
 * two waits; SIGPIPE is ignored, so a closed output is a write error to
 * report rather than an end that would leave boards half done. */
#ifndef PANELBIN_STOP_SIGNALS_H
#define PANELBIN_STOP_SIGNALS_H

#include <signal.h>

class StopSignals {
public:
    /* Throws a Failure when the signals cannot be taken. */
    StopSignals();
    /* The dispositions and the mask as they were. */
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    /* How many have come, and the last one's name ("SIGTERM"). */
    int Count() const;
    const char* LastName() const;

    /* The mask to wait with: the stop signals let through. */
    const sigset_t* WaitMask() const { return &m_waitMask; }
    /* Counts a signal still pending: ppoll returns ready descriptors
     * without taking one that came with them. Throws a Failure when the
     * mask cannot be set. */
    void TakePending() const;

    /* In a board's forked process: the stop signals ignored (the parent
     * decides when a board ends; a terminal's Ctrl-C reaches the whole
     * group) and the mask as before. False when that fails. */
    bool SetUpChild() const;

private:
    sigset_t m_oldMask;
    sigset_t m_waitMask;
    struct sigaction m_old[4];
};

#endif
