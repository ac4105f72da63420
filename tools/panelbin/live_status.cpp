/* Drawing the live line of a run of many boards. */
#include "tools/panelbin/live_status.h"

#include <stdio.h>
#include <unistd.h>

LiveStatus::LiveStatus(bool wanted) : m_shown(wanted && isatty(STDERR_FILENO) == 1) {}

void LiveStatus::Draw(const FleetState& state) {
    if (!m_shown) return;
    fprintf(stderr, "\r%zu boards: %zu done (%zu ok, %zu failed), %zu in flight", state.total,
            state.ok + state.failed, state.ok, state.failed, state.inFlight);
    if (state.inFlight > 0)
        fprintf(stderr, ", the slowest %s for %.1f s", state.slowest.c_str(),
                static_cast<double>(state.slowestMs) / 1000.0);
    fputs("\033[K", stderr);
    fflush(stderr);
    m_drawn = true;
}

void LiveStatus::Clear() {
    if (!m_drawn) return;
    fputs("\r\033[K", stderr);
    fflush(stderr);
    m_drawn = false;
}
