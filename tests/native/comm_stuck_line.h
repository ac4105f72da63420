/* A serial line whose far end, played by a thread on a pseudo-terminal,
 * reads the start text and the first header, answers 0xA0, and from then on
 * takes no byte more: it stops reading, so the line's buffer (some 14 KB)
 * fills, or, with `suspendOutput`, it also stops the line's output at once,
 * as stuck flow control does. Hangs the line up when it goes. */
#ifndef COMM_STUCK_LINE_H
#define COMM_STUCK_LINE_H

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>

class StuckLine {
public:
    explicit StuckLine(bool suspendOutput)
        : m_master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)),
          m_slave(-1),
          m_suspendOutput(suspendOutput) {
        if (m_master == -1 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
        const char* path = ptsname(m_master);
        if (path == nullptr) return;
        // Held open so that the master never sees the line hung up meanwhile.
        m_slave = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_slave == -1) return;
        m_path = path;
        m_peer = std::thread([this] { AnswerTheFirstHeader(); });
    }
    ~StuckLine() {
        if (m_peer.joinable()) m_peer.join();
        if (m_slave != -1) close(m_slave);
        if (m_master != -1) close(m_master);
    }
    StuckLine(const StuckLine&) = delete;
    StuckLine& operator=(const StuckLine&) = delete;

    /* Empty when no pseudo-terminal could be had. */
    const std::string& Path() const { return m_path; }

private:
    void AnswerTheFirstHeader() {
        size_t wanted = 15 + 12;  // "kest_pq_tool.sh", then the header
        char buf[64];
        struct pollfd entry = {m_master, POLLIN, 0};
        while (wanted > 0 && poll(&entry, 1, 10000) == 1) {
            ssize_t n = read(m_master, buf, std::min(wanted, sizeof buf));
            if (n <= 0) return;
            wanted -= static_cast<size_t>(n);
        }
        if (wanted > 0 || (m_suspendOutput && tcflow(m_slave, TCOOFF) != 0)) return;
        const unsigned char accepted = 0xA0;
        (void)!write(m_master, &accepted, 1);
    }

    int m_master;
    int m_slave;
    bool m_suspendOutput;
    std::string m_path;
    std::thread m_peer;
};

#endif
