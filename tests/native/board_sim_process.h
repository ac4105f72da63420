/* Runs board-sim for a test: started with the given arguments and a record
 * file of its own, stopped with SIGTERM when the test ends. */
#ifndef BOARD_SIM_PROCESS_H
#define BOARD_SIM_PROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

class BoardSimProcess {
public:
    BoardSimProcess() = default;
    ~BoardSimProcess();
    BoardSimProcess(const BoardSimProcess&) = delete;
    BoardSimProcess& operator=(const BoardSimProcess&) = delete;

    /* Starts it and waits for "ready"; false (with a gtest failure) if it
     * does not get there. */
    bool Start(const std::vector<std::string>& args);
    /* SIGTERM (or `signal`) and wait; the exit status, or -1. */
    int Stop(int signal = 15);
    /* Sends it `signal` (SIGUSR1 clears the hang fault) and goes on. */
    bool Signal(int signal) const;

    int Port() const { return m_port; }
    const std::string& PtyPath() const { return m_ptyPath; }
    /* The frames it received so far, one hex line each. */
    std::vector<std::string> Records() const;

private:
    pid_t m_pid = -1;
    int m_port = -1;
    std::string m_ptyPath;
    std::string m_recordPath;
};

/* Lowercase hex of bytes, as the record file writes them. */
std::string Hex(const void* bytes, size_t n);
inline std::string Hex(const std::string& text) { return Hex(text.data(), text.size()); }

/* Seconds of real time and of this process's processor time. */
double WallSeconds();
double CpuSeconds();

#endif
