/* panelbin's system-call table for the board link. Every call goes on to
 * the system's own; on the way, what the link sends to and receives from
 * the board is decoded into a trace file when one is asked for, and the
 * start of every wait is noted for the progress indicator. */
#ifndef PANELBIN_WIRE_TAP_H
#define PANELBIN_WIRE_TAP_H

#include <memory>
#include <string>

class SysCallsOverride;

class WireTap {
public:
    /* Installs the table until the object goes; no trace when `tracePath`
     * is empty. Throws a Failure (exit 3) when the trace cannot be written.
     * One at a time, made before the link is started. */
    explicit WireTap(const std::string& tracePath);
    ~WireTap();
    WireTap(const WireTap&) = delete;
    WireTap& operator=(const WireTap&) = delete;

    /* Milliseconds that the wait in progress has lasted, -1 when the link
     * is not waiting; and what it awaits ("after the header"). Safe from
     * any thread. */
    static long WaitingMs();
    static const char* Awaiting();

private:
    std::unique_ptr<SysCallsOverride> m_override;
};

#endif
