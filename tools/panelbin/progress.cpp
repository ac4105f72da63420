/* The waiting indicator: a thread that looks at the wire tap's wait ten
 * times a second and redraws one line of standard error, shown only once a
 * wait has lasted long enough for a person to wonder. */
#include "tools/panelbin/progress.h"

#include <stdio.h>
#include <unistd.h>

#include <chrono>

#include "comm/UART.h"
#include "tools/panelbin/wire_tap.h"

namespace {

const long kShowAfterMs = 300;
const auto kRedraw = std::chrono::milliseconds(100);

}  // namespace

Progress::Progress(const std::string& target) : m_target(target) {
    if (isatty(STDERR_FILENO) == 1) m_thread = std::thread([this] { Run(); });
}

Progress::~Progress() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable()) m_thread.join();
}

void Progress::Run() {
    bool shown = false;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_wake.wait_for(lock, kRedraw, [this] { return m_stop; })) {
        long waited = WireTap::WaitingMs();
        if (waited >= kShowAfterMs) {
            fprintf(stderr, "\r%s: waiting for the board%s %.1f s of %d s\033[K", m_target.c_str(),
                    WireTap::Awaiting(), static_cast<double>(waited) / 1000.0, UART::TIME_OUT / 1000);
            shown = true;
        } else if (shown) {
            fputs("\r\033[K", stderr);
            shown = false;
        }
    }
    if (shown) fputs("\r\033[K", stderr);
}
