/* The commands of panelbin, one function each: it prints its result on
 * stdout and returns the exit status, or throws a Failure. */
#ifndef PANELBIN_COMMANDS_H
#define PANELBIN_COMMANDS_H

#include <string>
#include <vector>

#include "include/ks_type.h"

struct Options {
    std::string file;   /* the bin file worked on (A for diff) */
    std::string other;  /* B for diff */
    std::string from;   /* make's JSON document, "-" for stdin */
    std::string chip;   /* "R100", "R120" or empty */
    std::string tcp;    /* HOST:PORT */
    std::string serial; /* device path */
    KS_S32 index = -1;  /* dump --index, push's INDEX */
    /* push and verify: the boards, how many at once, the log and trace */
    std::vector<std::string> tcpTargets;
    std::vector<std::string> serialTargets;
    std::string targetsFile;
    int jobs = 1;
    std::string logPath;
    std::string tracePath; /* also pull's */
    bool verify = false;   /* push --verify */
    std::string retryLog;  /* --retry-failed: the failed boards of this log */
    bool quiet = false;    /* no live status, no line per board that went well */
    std::vector<std::string> portPaths; /* ports: devices to add to the list */
    bool json = false;  /* --json of pull, show, check, diff and ports */
    bool strict = false; /* check --strict: warnings fail too */
    std::string record;  /* set's INDEX: a panel number or "header" */
    std::vector<std::string> assignments; /* set's key=value */
    std::string schema;  /* the document schema prints */
    /* show, check and timing: the pixel clock's unit (empty: decided per
     * file); show --timings: a line per timing */
    std::string clockUnit;
    bool timings = false;
    bool logLineSchema = false; /* schema --log-line */
};

int RunShow(const Options& options);
int RunDump(const Options& options);
int RunMake(const Options& options);
int RunCheck(const Options& options);
int RunDiff(const Options& options);
int RunPush(const Options& options);
int RunPull(const Options& options);
int RunVerify(const Options& options);
int RunPorts(const Options& options);
int RunSet(const Options& options);
int RunSchema(const Options& options);
int RunTiming(const Options& options);

#endif
