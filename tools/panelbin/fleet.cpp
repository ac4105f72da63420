/* Many boards at once. The board link is one per process, so every board
 * gets a forked child that does the one-board work (FlashOne) and hands
 * its outcome back as one JSON object on a pipe; the parent keeps at most
 * `jobs` children running, prints a line per board as it ends, appends
 * the JSON log line of each board and ends with a summary. The parent
 * itself never starts a link and runs no thread, so each child starts
 * from a clean copy.
 *
 * A child never outlives the run: it dies with the parent (a parent-death
 * signal), and the parent ends and reaps every child still running on any
 * way out, an exception included. A cancel (a stop signal, or a log that
 * cannot be written) starts no more boards and lets those in flight end,
 * each within the board call's limit; a second one ends them at once. */
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "base/SysCalls.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/flash.h"
#include "tools/panelbin/fleet_log.h"
#include "tools/panelbin/live_status.h"
#include "tools/panelbin/stop_signals.h"
#include "tools/panelbin/wall_clock.h"

namespace {

/* How often the live line is redrawn. */
const int kRedrawMs = 200;
const char kInterrupted[] = "interrupted: the board may hold a partial write";

/* The link's own monotonic clock, so durations agree with its limits. */
uint64_t MonotonicMs() { return RealSysCalls().NowMs(); }

std::string Dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

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
 * trace in a file of its own, the outcome on the pipe. Never returns, and
 * never lets an exception back into the parent's code. */
[[noreturn]] void RunChild(const FlashJob& job, const Target& target, size_t position, int out) {
    try {
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
                       {"link_text", outcome.linkText},
                       {"verified", static_cast<int>(outcome.verified)},
                       {"differences", outcome.differences}};
        _exit(WriteAll(out, Dump(result)) ? 0 : 1);
    } catch (...) {
        _exit(1);
    }
}

/* A board's process, killed and reaped when the object goes unless it was
 * reaped before: no way out of the run leaves it running. */
class Child {
public:
    Child(size_t target, pid_t pid, int fd)
        : m_target(target), m_pid(pid), m_fd(fd), m_startTime(UtcNow()), m_startMs(MonotonicMs()) {}
    ~Child() {
        Kill();
        Reap();
        if (m_fd != -1) close(m_fd);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    size_t target() const { return m_target; }
    int fd() const { return m_fd; }
    const std::string& startTime() const { return m_startTime; }
    uint64_t ElapsedMs() const { return MonotonicMs() - m_startMs; }
    const std::string& output() const { return m_output; }
    /* Reads what the pipe holds; false once it is at its end. */
    bool Read() {
        char buffer[4096];
        ssize_t n = read(m_fd, buffer, sizeof buffer);
        if (n > 0) m_output.append(buffer, static_cast<size_t>(n));
        return n > 0 || (n < 0 && errno == EINTR);
    }
    /* After the end: the rest, which can no longer grow. */
    void Drain() {
        while (Read()) {
        }
    }

    void Kill() {
        if (m_pid > 0) kill(m_pid, SIGKILL);
    }
    /* Waits for its end; its wait status. */
    int Reap() {
        while (m_pid > 0 && waitpid(m_pid, &m_status, 0) == -1 && errno == EINTR) {
        }
        m_pid = -1;
        return m_status;
    }

private:
    size_t m_target;
    pid_t m_pid;
    int m_fd;
    std::string m_startTime;
    uint64_t m_startMs;
    std::string m_output;
    int m_status = 0;
};

/* The outcome a child sent; false when it sent none whole. */
bool SentOutcome(const std::string& output, BoardOutcome* outcome) {
    Json result = Json::parse(output, nullptr, false);
    if (result.is_discarded() || !result.contains("status") || !result["status"].is_number_integer())
        return false;
    outcome->status = result["status"].get<int>();
    outcome->failure = result.value("failure", "");
    outcome->linkText = result.value("link_text", "");
    outcome->verified = static_cast<Verified>(result.value("verified", 0));
    for (const Json& line : result["differences"])
        if (line.is_string()) outcome->differences.push_back(line.get<std::string>());
    return true;
}

/* A failure saying how a child that sent no outcome ended. */
BoardOutcome EndedWithout(int waitStatus, const std::string& where) {
    BoardOutcome outcome;
    outcome.status = kExitBoard;
    outcome.failure = where + ": its process ended without a result (" +
                      (WIFSIGNALED(waitStatus) ? std::string("signal ") + strsignal(WTERMSIG(waitStatus))
                                               : "status " + std::to_string(WEXITSTATUS(waitStatus))) +
                      ")";
    return outcome;
}

BoardResult ResultOf(const BoardOutcome& outcome) {
    return outcome.status == kExitOk         ? BoardResult::kOk
           : outcome.status == kExitMismatch ? BoardResult::kMismatch
                                             : BoardResult::kFailed;
}

class Fleet {
public:
    Fleet(const FlashJob& job, const std::vector<Target>& targets, const FleetSettings& settings)
        : m_job(job), m_targets(targets), m_settings(settings), m_facts(FactsOf(job)),
          m_log(settings.logPath), m_live(!settings.quiet) {}

    int Run();

private:
    void Start(size_t target);
    void Cancel(const std::string& reason);
    void Wait();
    void Finish(size_t slot, bool interrupted);
    void Report(const Target& target, const std::string& startTime, uint64_t durationMs,
                BoardResult result, const BoardOutcome& outcome);
    void DrawLive();
    void Summarize();

    const FlashJob& m_job;
    const std::vector<Target>& m_targets;
    FleetSettings m_settings;
    RunFacts m_facts;
    StopSignals m_signals;
    FleetLog m_log;
    LiveStatus m_live;
    std::vector<std::unique_ptr<Child>> m_running;
    size_t m_next = 0;
    size_t m_counts[5] = {0, 0, 0, 0, 0}; /* by BoardResult */
    std::vector<std::string> m_failures;
    std::string m_cancel; /* why no more boards start; empty while they do */
    bool m_otherCancel = false; /* a cancel not by a signal: then one signal is the second */
};

void Fleet::Start(size_t target) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        Cancel(std::string("no pipe for a board's process: ") + strerror(errno));
        return;
    }
    fflush(stdout);
    fflush(stderr);
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        /* Dies with the parent, even one that ended before the request. */
        if (!m_signals.SetUpChild() || prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent)
            _exit(1);
        RunChild(m_job, m_targets[target], target, pipeFds[1]);
    }
    close(pipeFds[1]);
    if (pid == -1) {
        close(pipeFds[0]);
        Cancel(std::string("no process for a board: ") + strerror(errno));
        return;
    }
    /* Owned before anything else can throw. */
    std::unique_ptr<Child> child(new Child(target, pid, pipeFds[0]));
    m_running.push_back(std::move(child));
}

/* A cancel by anything but a signal; only when it comes first does the
 * next signal count as the second. */
void Fleet::Cancel(const std::string& reason) {
    if (!m_cancel.empty() || m_signals.Count() > 0) return;
    m_cancel = reason;
    m_otherCancel = true;
}

void Fleet::Wait() {
    std::vector<struct pollfd> fds;
    for (const auto& child : m_running) fds.push_back({child->fd(), POLLIN, 0});
    struct timespec redraw = {0, kRedrawMs * 1000000L};
    const int ready = ppoll(fds.data(), fds.size(), m_live.shown() ? &redraw : nullptr, m_signals.WaitMask());
    m_signals.TakePending();
    if (ready < 0) {
        if (errno == EINTR) return;
        throw Failure(kExitBoard, std::string("poll: ") + strerror(errno));
    }
    for (size_t i = fds.size(); i-- > 0;)
        if (fds[i].revents != 0 && !m_running[i]->Read()) Finish(i, false);
}

/* The child closed its pipe, so it has ended or is about to; or it is
 * interrupted, and ended here. */
void Fleet::Finish(size_t slot, bool interrupted) {
    std::unique_ptr<Child> child = std::move(m_running[slot]);
    m_running.erase(m_running.begin() + static_cast<std::ptrdiff_t>(slot));
    if (interrupted) child->Kill();
    const int status = child->Reap();
    child->Drain();
    const uint64_t durationMs = child->ElapsedMs();
    const Target& target = m_targets[child->target()];
    /* A board whose outcome had come whole before the end was not cut. */
    BoardOutcome outcome;
    const bool sent = SentOutcome(child->output(), &outcome);
    interrupted = interrupted && !sent;
    if (interrupted) {
        outcome.status = kExitBoard;
        outcome.failure = target.where + ": " + kInterrupted;
    } else if (!sent) {
        outcome = EndedWithout(status, target.where);
    }
    const BoardResult result = interrupted ? BoardResult::kInterrupted : ResultOf(outcome);
    Report(target, child->startTime(), durationMs, result, outcome);
}

void Fleet::Report(const Target& target, const std::string& startTime, uint64_t durationMs,
                   BoardResult result, const BoardOutcome& outcome) {
    ++m_counts[static_cast<int>(result)];
    const bool failed = result != BoardResult::kOk && result != BoardResult::kSkipped;
    if (failed) m_failures.push_back(outcome.failure);
    m_live.Clear();
    if (result == BoardResult::kOk && !m_settings.quiet)
        printf("%-11s %s (%llu ms)\n", "ok", target.where.c_str(),
               static_cast<unsigned long long>(durationMs));
    else if (failed)
        printf("%-11s %s\n", ResultName(result), outcome.failure.c_str());
    for (const std::string& line : outcome.differences) printf("            %s\n", line.c_str());
    fflush(stdout);
    std::string error;
    if (m_log.Append(LogLine(m_facts, target, startTime, durationMs, result, outcome), &error)) return;
    Cancel(error);
    /* Told now when the run ends for another reason. */
    if (m_cancel != error) fprintf(stderr, "panelbin: %s\n", error.c_str());
}

void Fleet::DrawLive() {
    FleetState state;
    state.total = m_targets.size();
    state.ok = m_counts[static_cast<int>(BoardResult::kOk)];
    state.failed = m_counts[static_cast<int>(BoardResult::kFailed)] +
                   m_counts[static_cast<int>(BoardResult::kMismatch)] +
                   m_counts[static_cast<int>(BoardResult::kInterrupted)];
    state.inFlight = m_running.size();
    for (const auto& child : m_running) {
        uint64_t elapsed = child->ElapsedMs();
        if (elapsed < state.slowestMs) continue;
        state.slowestMs = elapsed;
        state.slowest = m_targets[child->target()].where;
    }
    m_live.Draw(state);
}

void Fleet::Summarize() {
    const auto count = [this](BoardResult result) { return m_counts[static_cast<int>(result)]; };
    m_live.Clear();
    printf("%zu boards: %zu ok, %zu failed, %zu mismatched", m_targets.size(), count(BoardResult::kOk),
           count(BoardResult::kFailed), count(BoardResult::kMismatch));
    if (count(BoardResult::kInterrupted) > 0) printf(", %zu interrupted", count(BoardResult::kInterrupted));
    if (count(BoardResult::kSkipped) > 0) printf(", %zu not started", count(BoardResult::kSkipped));
    printf("\n");
    if (!m_failures.empty()) printf("boards that failed:\n");
    for (const std::string& failure : m_failures) printf("  %s\n", failure.c_str());
    fflush(stdout);
    if (!m_cancel.empty()) fprintf(stderr, "panelbin: cancelled: %s\n", m_cancel.c_str());
}

int Fleet::Run() {
    for (;;) {
        const int signals = m_signals.Count();
        if (signals > 0 && m_cancel.empty())
            m_cancel = std::string(m_signals.LastName()) + " (no board was started after it)";
        if (signals >= 2 || (signals == 1 && m_otherCancel))
            while (!m_running.empty()) Finish(m_running.size() - 1, true);
        while (m_cancel.empty() && m_next < m_targets.size() &&
               m_running.size() < static_cast<size_t>(m_settings.jobs))
            Start(m_next++);
        if (m_running.empty()) break;
        Wait();
        DrawLive();
    }
    for (; m_next < m_targets.size(); ++m_next) {
        BoardOutcome skipped;
        skipped.failure = m_targets[m_next].where + ": not started: the run was cancelled";
        Report(m_targets[m_next], UtcNow(), 0, BoardResult::kSkipped, skipped);
    }
    Summarize();
    if (!m_cancel.empty()) return kExitCancelled;
    if (m_counts[static_cast<int>(BoardResult::kFailed)] > 0) return kExitBoard;
    return m_counts[static_cast<int>(BoardResult::kMismatch)] > 0 ? kExitMismatch : kExitOk;
}

}  // namespace

int FlashMany(const FlashJob& job, const std::vector<Target>& targets, const FleetSettings& settings) {
    return Fleet(job, targets, settings).Run();
}
