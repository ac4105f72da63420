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

/* How it went on one board. */
struct BoardOutcome {
    int status = 0;          /* kExitOk, kExitBoard or kExitMismatch */
    std::string failure;     /* plain words, link text after; empty when ok */
    size_t fieldsCompared = 0;
    std::vector<std::string> differences;
};

/* Does the job on one board in this process; never throws. */
BoardOutcome FlashOne(const FlashJob& job, const Target& target);

/* Does the job on every target, at most `jobs` at once, each in a forked
 * child: the board link is one per process. Prints a line per board as it
 * ends and a summary; appends a JSON line per attempt to `logPath` when it
 * is not empty. Returns the exit status. */
int FlashMany(const FlashJob& job, const std::vector<Target>& targets, int jobs,
              const std::string& logPath);

#endif
