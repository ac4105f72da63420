/* Starting and stopping board-sim for a test. */
#include "tests/native/board_sim_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

extern char** environ;

namespace {

/* Reads board-sim's announcement lines until "ready", for at most 10 s. */
bool ReadAnnouncement(int fd, std::vector<std::string>* lines) {
    std::string pending;
    for (;;) {
        struct pollfd entry = {fd, POLLIN, 0};
        if (poll(&entry, 1, 10000) <= 0) return false;
        char buffer[256];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        pending.append(buffer, static_cast<size_t>(n));
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            lines->push_back(pending.substr(0, end));
            pending.erase(0, end + 1);
            if (lines->back() == "ready") return true;
        }
    }
}

}  // namespace

BoardSimProcess::~BoardSimProcess() {
    Stop();
    if (!m_recordPath.empty()) unlink(m_recordPath.c_str());
}

bool BoardSimProcess::Start(const std::vector<std::string>& args) {
    char recordTemplate[] = "/tmp/board-sim-record-XXXXXX";
    int recordFd = mkstemp(recordTemplate);
    if (recordFd == -1 || close(recordFd) != 0) {
        ADD_FAILURE() << "no record file";
        return false;
    }
    m_recordPath = recordTemplate;
    std::vector<std::string> all = {BOARD_SIM_PATH, "--record", m_recordPath};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(&arg[0]);
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "no pipe";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    int spawned = posix_spawn(&m_pid, BOARD_SIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::vector<std::string> lines;
    bool ready = spawned == 0 && ReadAnnouncement(out[0], &lines);
    close(out[0]);
    if (spawned != 0) m_pid = -1;
    for (const std::string& line : lines) {
        if (line.rfind("tcp 127.0.0.1 ", 0) == 0) m_port = atoi(line.c_str() + 14);
        if (line.rfind("pty ", 0) == 0) m_ptyPath = line.substr(4);
    }
    if (!ready) ADD_FAILURE() << "board-sim did not get ready";
    return ready;
}

int BoardSimProcess::Stop(int signal) {
    if (m_pid == -1) return -1;
    int status = 0;
    kill(m_pid, signal);
    pid_t waited;
    while ((waited = waitpid(m_pid, &status, 0)) == -1 && errno == EINTR) {
    }
    m_pid = -1;
    if (waited == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

bool BoardSimProcess::Signal(int signal) const { return m_pid != -1 && kill(m_pid, signal) == 0; }

std::vector<std::string> BoardSimProcess::Records() const {
    std::vector<std::string> lines;
    std::ifstream file(m_recordPath);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

std::string Hex(const void* bytes, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        text += kDigits[p[i] >> 4];
        text += kDigits[p[i] & 15];
    }
    return text;
}

static double Seconds(clockid_t clock) {
    struct timespec now;
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double WallSeconds() { return Seconds(CLOCK_MONOTONIC); }
double CpuSeconds() { return Seconds(CLOCK_PROCESS_CPUTIME_ID); }
