/* How a command gives up: the text for stderr and the exit status. Thrown
 * inside the tool and caught once in main. */
#ifndef PANELBIN_FAILURE_H
#define PANELBIN_FAILURE_H

#include <stdexcept>
#include <string>

/* Exit statuses shared by every command; the manual page's EXIT STATUS
 * table lists the same. */
const int kExitOk = 0;
const int kExitFailed = 1;   /* damaged file, differing files, refused document or value */
const int kExitUsage = 2;    /* a command line the tool cannot use */
const int kExitFile = 3;     /* a file that cannot be read or written */
const int kExitBoard = 4;    /* the board link failed */
const int kExitMismatch = 5; /* verify: the board holds other values than the file */
const int kExitDamaged = 6;  /* diff: A or B is a damaged file, so no verdict on the difference */
const int kExitCancelled = 7; /* many boards: a signal or an unwritable log stopped the run */

class Failure : public std::runtime_error {
public:
    Failure(int exitStatus, const std::string& text)
        : std::runtime_error(text), m_exitStatus(exitStatus) {}
    int exitStatus() const { return m_exitStatus; }

private:
    int m_exitStatus;
};

#endif
