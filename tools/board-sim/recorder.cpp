/* The record file of every frame received and the --verbose log. */
#include "tools/board-sim/recorder.h"

namespace {

std::string Hex(const uint8_t* bytes, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

}  // namespace

Recorder::~Recorder() {
    if (m_file != nullptr) fclose(m_file);
}

bool Recorder::Open(const std::string& path) {
    m_file = fopen(path.c_str(), "ae");
    return m_file != nullptr;
}

void Recorder::Frame(const char* link, const uint8_t* bytes, size_t n) {
    if (m_file != nullptr) {
        fprintf(m_file, "%s\n", Hex(bytes, n).c_str());
        fflush(m_file);
    }
    Log(link, "frame", bytes, n);
}

void Recorder::Log(const char* link, const char* what, const uint8_t* bytes, size_t n) {
    if (m_verbose) fprintf(stderr, "board-sim %s: %s %s\n", link, what, Hex(bytes, n).c_str());
}
