/* The one line a terminal shows while many boards are in flight: "8
 * boards: 5 done (4 ok, 1 failed), 3 in flight, the slowest
 * 127.0.0.1:5003 for 4.2 s". Redrawn in place on standard error, cleared
 * before any other line is printed; nothing of it when standard error is
 * not a terminal, so logs and pipes stay clean. */
#ifndef PANELBIN_LIVE_STATUS_H
#define PANELBIN_LIVE_STATUS_H

#include <stddef.h>
#include <stdint.h>

#include <string>

struct FleetState {
    size_t total = 0, ok = 0, failed = 0, inFlight = 0;
    std::string slowest; /* the target in flight longest */
    uint64_t slowestMs = 0;
};

class LiveStatus {
public:
    /* Shown only when `wanted` and standard error is a terminal. */
    explicit LiveStatus(bool wanted);
    ~LiveStatus() { Clear(); }
    LiveStatus(const LiveStatus&) = delete;
    LiveStatus& operator=(const LiveStatus&) = delete;

    bool shown() const { return m_shown; }
    void Draw(const FleetState& state);
    /* Takes the line away, so that a board's line can be printed. */
    void Clear();

private:
    bool m_shown;
    bool m_drawn = false;
};

#endif
