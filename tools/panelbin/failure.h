/* How a command gives up: the text for stderr and the exit status. Thrown
 * inside the tool and caught once in main. */
#ifndef PANELBIN_FAILURE_H
#define PANELBIN_FAILURE_H

#include <stdexcept>
#include <string>

/* Exit statuses shared by every command. */
const int kExitOk = 0;
const int kExitFailed = 1; /* damaged file, differing files, bad JSON, board failure */
const int kExitUsage = 2;  /* a command line the tool cannot use */

class Failure : public std::runtime_error {
public:
    Failure(int exitStatus, const std::string& text)
        : std::runtime_error(text), m_exitStatus(exitStatus) {}
    int exitStatus() const { return m_exitStatus; }

private:
    int m_exitStatus;
};

#endif
