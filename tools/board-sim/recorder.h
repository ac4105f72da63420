/* The simulator's two outputs about what it receives: the record file
 * (every frame, one line of lowercase hex, flushed at once, so that a test
 * can check the exact bytes sent) and, with --verbose, a log on stderr. */
#ifndef BOARD_SIM_RECORDER_H
#define BOARD_SIM_RECORDER_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <string>

class Recorder {
public:
    explicit Recorder(bool verbose) : m_file(nullptr), m_verbose(verbose) {}
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    /* Appends to `path`; false when it cannot be opened. */
    bool Open(const std::string& path);
    /* A complete frame received: recorded and logged. */
    void Frame(const char* link, const uint8_t* bytes, size_t n);
    /* Logged only: bytes the simulator does not accept, or what it does. */
    void Log(const char* link, const char* what, const uint8_t* bytes, size_t n);

private:
    FILE* m_file;
    bool m_verbose;
};

#endif
