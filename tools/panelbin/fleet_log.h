/* The log of a run of many boards: one JSON line per board, whole, flushed
 * at once, so that a run cut short keeps the lines of the boards done and
 * a later run can take the failed boards from it (--retry-failed). */
#ifndef PANELBIN_FLEET_LOG_H
#define PANELBIN_FLEET_LOG_H

#include <stdio.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/panelbin/flash.h"
#include "tools/panelbin/record_json.h"

/* The result of a board, as the log and the summary name it. */
enum class BoardResult { kOk, kFailed, kMismatch, kInterrupted, kSkipped };
const char* ResultName(BoardResult result);

/* What every line of one run shares: the station, the tool, the file. */
struct RunFacts {
    std::string station; /* the host name */
    std::string file;
    std::string fileSha256;
    std::string chip;  /* "R100" or "R120" */
    std::string panel; /* the panel's name (chName) */
    KS_S32 index = 0;
};
RunFacts FactsOf(const FlashJob& job);

/* One board's line. */
Json LogLine(const RunFacts& facts, const Target& target, const std::string& startTime,
             uint64_t durationMs, BoardResult result, const BoardOutcome& outcome);

/* The JSON Schema of a line (panelbin schema --log-line). */
Json LogLineSchema();

class FleetLog {
public:
    /* Appends to `path`; no log when it is empty. Throws a Failure (exit
     * 3) when it cannot be opened. */
    explicit FleetLog(const std::string& path);
    /* Writes the line whole and flushes it; false with `*error` set when it
     * cannot, after which the log takes no more lines. */
    bool Append(const Json& line, std::string* error);

private:
    struct Closer {
        void operator()(FILE* file) const { fclose(file); }
    };
    std::string m_path;
    std::unique_ptr<FILE, Closer> m_file;
};

/* The boards whose last line in the log at `path` is not "ok", in the
 * order of those lines, each re-resolved from the target as given and
 * with the log's line as its origin. */
std::vector<Target> FailedTargets(const std::string& path);

#endif
