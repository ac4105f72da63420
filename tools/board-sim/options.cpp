/* Parsing the simulator's command line. */
#include "tools/board-sim/options.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char kUsage[] =
    "usage: board-sim [--tcp PORT] [--pty] [--fault FAULT]... [--record FILE] [--verbose]\n"
    "                 [--generation R100|R120]\n"
    "  --tcp PORT   serve TCP on 127.0.0.1:PORT, PORT 0..32767 (0 picks a free one):\n"
    "               the library keeps the port in 16 signed bits and refuses higher ones\n"
    "  --pty        serve the serial protocol on a pseudo-terminal\n"
    "  --fault FAULT bad-first[=N] bad-final bad-checksum silent close-mid-reply trickle garbage\n"
    "               alter-write (each used up by the next request it applies to);\n"
    "               hang (no answer to any request until SIGUSR1 clears it)\n"
    "  --record F   append every frame received to F, one line of hex each\n"
    "  --verbose    log every frame on stderr\n"
    "  --generation R100|R120  the size of a read before any write (default R100)\n"
    "  --help       this text\n";

namespace {

bool ParsePort(const char* text, int* port) {
    char* end = nullptr;
    long value = strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < 0 || value > kLastLinkPort) return false;
    *port = static_cast<int>(value);
    return true;
}

/* The option's value, or null (with a message) when it is missing. */
const char* ValueOf(int argc, char** argv, int* i) {
    if (*i + 1 >= argc) {
        fprintf(stderr, "board-sim: %s needs a value\n", argv[*i]);
        return nullptr;
    }
    return argv[++*i];
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        const char* value = nullptr;
        if (strcmp(name, "--help") == 0 || strcmp(name, "-h") == 0) {
            options->help = true;
            return true;
        } else if (strcmp(name, "--pty") == 0) {
            options->pty = true;
        } else if (strcmp(name, "--verbose") == 0) {
            options->verbose = true;
        } else if (strcmp(name, "--tcp") == 0) {
            if ((value = ValueOf(argc, argv, &i)) == nullptr) return false;
            if (!ParsePort(value, &options->tcpPort)) {
                fprintf(stderr,
                        "board-sim: bad port %s: 0..%d, the highest the library's network "
                        "start accepts\n",
                        value, kLastLinkPort);
                return false;
            }
            options->tcp = true;
        } else if (strcmp(name, "--fault") == 0) {
            if ((value = ValueOf(argc, argv, &i)) == nullptr) return false;
            options->faults.push_back(value);
        } else if (strcmp(name, "--record") == 0) {
            if ((value = ValueOf(argc, argv, &i)) == nullptr) return false;
            options->recordPath = value;
        } else if (strcmp(name, "--generation") == 0) {
            if ((value = ValueOf(argc, argv, &i)) == nullptr) return false;
            if (strcmp(value, "R120") != 0 && strcmp(value, "R100") != 0) {
                fprintf(stderr, "board-sim: unknown generation %s\n", value);
                return false;
            }
            options->r120 = strcmp(value, "R120") == 0;
        } else {
            fprintf(stderr, "board-sim: unknown option %s\n", name);
            return false;
        }
    }
    if (!options->tcp && !options->pty) {
        fprintf(stderr, "board-sim: nothing to serve: give --tcp, --pty or both\n");
        return false;
    }
    return true;
}
