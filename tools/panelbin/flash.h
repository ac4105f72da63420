/* push and verify on one board or many: the work on one board, and the
 * run of many, each board in a process of its own. */
#ifndef PANELBIN_FLASH_H
#define PANELBIN_FLASH_H

#include <string>
#include <vector>

#include "tools/panelbin/board_link.h"
#include "tools/panelbin/panel_file.h"

/* What is done on every board: write panel `index` of the file, read it
 * back and compare, or both. */
struct FlashJob {
    std::string path; /* the bin file */
    PanelFile file;   /* holding the one panel */
    KS_S32 index = 0;
    bool write = true;
    bool verify = false;
    std::string tracePath; /* empty: no trace */
};

/* Whether the board's panel info was read back and compared: not at all
 * (not asked, or the board failed first), equal, or different. */
enum class Verified { kNotRead, kEqual, kDifferent };

/* How it went on one board. */
struct BoardOutcome {
    int status = 0;          /* kExitOk, kExitBoard or kExitMismatch */
    std::string failure;     /* plain words, link text after; empty when ok */
    std::string linkText;    /* the link's own text of a failure; empty when none */
    Verified verified = Verified::kNotRead;
    size_t fieldsCompared = 0;
    std::vector<std::string> differences;
};

/* How a run of many boards goes: boards at once, the log, the terminal. */
struct FleetSettings {
    int jobs = 1;
    std::string logPath; /* empty: no log */
    bool quiet = false;  /* no live status and no line per board that went well */
};

/* Does the job on one board in this process; never throws. */
BoardOutcome FlashOne(const FlashJob& job, const Target& target);

/* Does the job on every target, at most `jobs` at once, each in a forked
 * child: the board link is one per process. Prints a line per board as it
 * ends and a summary naming each board that failed; appends a JSON line
 * per board to the log. SIGINT, SIGTERM or SIGHUP (or a log that cannot
 * be written) cancels: no board is started after it, those in flight end;
 * a second signal ends them at once. Returns the exit status. */
int FlashMany(const FlashJob& job, const std::vector<Target>& targets, const FleetSettings& settings);

#endif
