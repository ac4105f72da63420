/* The simulator's command line. */
#ifndef BOARD_SIM_OPTIONS_H
#define BOARD_SIM_OPTIONS_H

#include <string>
#include <vector>

struct Options {
    bool tcp = false;
    int tcpPort = 0;  // 0: pick a free one
    bool pty = false;
    std::vector<std::string> faults;
    std::string recordPath;
    bool verbose = false;
    bool help = false;
    bool r120 = false;  // the generation whose record size a read gets before any write
};

/* False, with a message on stderr, when the line cannot be used. */
bool ParseOptions(int argc, char** argv, Options* options);

extern const char kUsage[];

/* The highest port the library's network start accepts: it keeps the port
 * in a signed 16-bit value, so a higher one turns negative and is refused.
 * The simulator refuses what the library could never reach. */
const int kLastLinkPort = 32767;

#endif
