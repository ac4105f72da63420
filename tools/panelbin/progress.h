/* A one-line indicator on a terminal while the board link waits: "target:
 * waiting for the board (after the header) 2.3 s of 5 s". Nothing when
 * standard error is not a terminal, so logs and pipes stay clean. */
#ifndef PANELBIN_PROGRESS_H
#define PANELBIN_PROGRESS_H

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class Progress {
public:
    /* Starts watching the wire tap's waits for `target`. */
    explicit Progress(const std::string& target);
    /* Stops and clears the line. */
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

private:
    void Run();

    std::string m_target;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

#endif
