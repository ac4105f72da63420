/* Many boards at once. The board link is one per process, so every board
 * gets a forked child that does the one-board work (FlashOne) and hands
 * its outcome back as one JSON object on a pipe; the parent keeps at most
 * `jobs` children running, prints a line per board as it ends, appends
 * the JSON log line of each attempt and ends with a summary. The parent
 * itself never starts a link and runs no thread, so each child starts
 * from a clean copy. */
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "base/SysCalls.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/flash.h"
#include "tools/panelbin/sha256.h"
#include "tools/panelbin/wall_clock.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

/* The link's own monotonic clock, so durations agree with its limits. */
uint64_t MonotonicMs() { return RealSysCalls().NowMs(); }

/* A board being worked: its child, the read end of its pipe, what came. */
struct Running {
    size_t target;
    pid_t pid;
    int fd;
    std::string startTime;
    uint64_t startMs;
    std::string output;
};

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

/* In the child: nothing on the terminal (the parent reports), the board's
 * trace in a file of its own, the outcome on the pipe. Never returns. */
[[noreturn]] void RunChild(const FlashJob& job, const Target& target, size_t position, int out) {
    int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    bool quiet = devNull != -1 && dup2(devNull, 0) != -1 && dup2(devNull, 1) != -1 &&
                 dup2(devNull, 2) != -1;
    FlashJob mine = job;
    if (!mine.tracePath.empty()) mine.tracePath += "." + std::to_string(position + 1);
    BoardOutcome outcome;
    if (quiet) {
        outcome = FlashOne(mine, target);
    } else {
        outcome.status = kExitBoard;
        outcome.failure = target.where + ": no /dev/null for the board's process";
    }
    Json result = {{"status", outcome.status},
                   {"failure", outcome.failure},
                   {"differences", outcome.differences}};
    _exit(WriteAll(out, result.dump()) ? 0 : 1);
}

const char* ResultName(int status) {
    return status == kExitOk ? "ok" : status == kExitMismatch ? "mismatch" : "failed";
}

/* The outcome a child sent, or a failure saying how the child ended. */
BoardOutcome OutcomeOf(const Running& run, int waitStatus, const std::string& where) {
    BoardOutcome outcome;
    Json result = Json::parse(run.output, nullptr, false);
    if (!result.is_discarded() && result.contains("status") && result["status"].is_number_integer()) {
        outcome.status = result["status"].get<int>();
        outcome.failure = result["failure"].is_string() ? result["failure"].get<std::string>() : "";
        for (const Json& line : result["differences"])
            if (line.is_string()) outcome.differences.push_back(line.get<std::string>());
        return outcome;
    }
    outcome.status = kExitBoard;
    outcome.failure = where + ": its process ended without a result (" +
                      (WIFSIGNALED(waitStatus) ? std::string("signal ") + strsignal(WTERMSIG(waitStatus))
                                               : "status " + std::to_string(WEXITSTATUS(waitStatus))) +
                      ")";
    return outcome;
}

class Fleet {
public:
    Fleet(const FlashJob& job, const std::vector<Target>& targets, const std::string& logPath)
        : m_job(job), m_targets(targets), m_hash(FileSha256(job.path)) {
        if (logPath.empty()) return;
        m_log.reset(fopen(logPath.c_str(), "a"));
        if (!m_log) throw Failure(kExitFile, logPath + ": cannot be written: " + strerror(errno));
    }

    int Run(int jobs);

private:
    void Start(size_t target);
    void Finish(size_t slot);
    void Log(const Running& run, const BoardOutcome& outcome, uint64_t durationMs);

    const FlashJob& m_job;
    const std::vector<Target>& m_targets;
    std::string m_hash;
    std::unique_ptr<FILE, FileCloser> m_log;
    std::vector<Running> m_running;
    size_t m_counts[3] = {0, 0, 0}; /* ok, failed, mismatch */
    bool m_linkFailed = false;
    bool m_mismatched = false;
};

void Fleet::Start(size_t target) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) throw Failure(kExitBoard, std::string("no pipe: ") + strerror(errno));
    fflush(stdout);
    fflush(stderr);
    Running run{target, -1, pipeFds[0], UtcNow(), MonotonicMs(), ""};
    run.pid = fork();
    if (run.pid == 0) {
        close(pipeFds[0]);
        RunChild(m_job, m_targets[target], target, pipeFds[1]);
    }
    close(pipeFds[1]);
    if (run.pid == -1) {
        close(pipeFds[0]);
        throw Failure(kExitBoard, std::string("no process for a board: ") + strerror(errno));
    }
    m_running.push_back(run);
}

/* The child closed its pipe: it has ended, or is about to. */
void Fleet::Finish(size_t slot) {
    Running run = m_running[slot];
    m_running.erase(m_running.begin() + static_cast<std::ptrdiff_t>(slot));
    close(run.fd);
    int status = 0;
    while (waitpid(run.pid, &status, 0) == -1 && errno == EINTR) {
    }
    uint64_t durationMs = MonotonicMs() - run.startMs;
    const std::string& where = m_targets[run.target].where;
    BoardOutcome outcome = OutcomeOf(run, status, where);
    const char* result = ResultName(outcome.status);
    if (outcome.status == kExitOk)
        printf("%-9s %s (%llu ms)\n", result, where.c_str(), static_cast<unsigned long long>(durationMs));
    else
        printf("%-9s %s\n", result, outcome.failure.c_str());
    for (const std::string& line : outcome.differences) printf("          %s\n", line.c_str());
    fflush(stdout);
    ++m_counts[outcome.status == kExitOk ? 0 : outcome.status == kExitMismatch ? 2 : 1];
    m_linkFailed |= outcome.status != kExitOk && outcome.status != kExitMismatch;
    m_mismatched |= outcome.status == kExitMismatch;
    Log(run, outcome, durationMs);
}

/* One JSON line per attempt, flushed at once: a run cut short keeps the
 * lines of the boards already done. */
void Fleet::Log(const Running& run, const BoardOutcome& outcome, uint64_t durationMs) {
    if (!m_log) return;
    Json line = {{"time", run.startTime},
                 {"target", m_targets[run.target].where},
                 {"file_sha256", m_hash},
                 {"index", m_job.index},
                 {"result", ResultName(outcome.status)},
                 {"duration_ms", durationMs},
                 {"failure", outcome.failure.empty() ? Json(nullptr) : Json(outcome.failure)}};
    if (fprintf(m_log.get(), "%s\n", line.dump().c_str()) < 0 || fflush(m_log.get()) != 0)
        throw Failure(kExitFile, "the log cannot be written: " + std::string(strerror(errno)));
}

int Fleet::Run(int jobs) {
    size_t next = 0;
    while (next < m_targets.size() || !m_running.empty()) {
        while (next < m_targets.size() && m_running.size() < static_cast<size_t>(jobs)) Start(next++);
        std::vector<struct pollfd> fds;
        for (const Running& run : m_running) fds.push_back({run.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            throw Failure(kExitBoard, std::string("poll: ") + strerror(errno));
        }
        for (size_t i = fds.size(); i-- > 0;) {
            if (fds[i].revents == 0) continue;
            char buffer[4096];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0)
                m_running[i].output.append(buffer, static_cast<size_t>(n));
            else if (n == 0 || errno != EINTR)
                Finish(i);
        }
    }
    printf("%zu boards: %zu ok, %zu failed, %zu mismatched\n", m_targets.size(), m_counts[0],
           m_counts[1], m_counts[2]);
    return m_linkFailed ? kExitBoard : m_mismatched ? kExitMismatch : kExitOk;
}

}  // namespace

int FlashMany(const FlashJob& job, const std::vector<Target>& targets, int jobs,
              const std::string& logPath) {
    return Fleet(job, targets, logPath).Run(jobs);
}
