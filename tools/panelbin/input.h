/* The files panelbin reads, each opened once and checked for what it is
 * before anything is read. A bin file is a regular file, or standard input
 * ("-") or a pipe, which is read once, whole, into memory; a directory, a
 * terminal or a device is refused with the reason. */
#ifndef PANELBIN_INPUT_H
#define PANELBIN_INPUT_H

#include <string>
#include <vector>

#include "ks_type.h"

class BinInput {
public:
    /* A Failure (kExitFile) saying why `path` cannot be read as a bin file. */
    explicit BinInput(const std::string& path);
    ~BinInput();
    BinInput(const BinInput&) = delete;
    BinInput& operator=(const BinInput&) = delete;

    /* The path the library's reader opens: the file itself, or a private
     * copy of what a stream held. */
    const char* path() const { return m_path.c_str(); }
    /* Whether a stream held more bytes than a bin file has. */
    bool overLong() const { return m_overLong; }

private:
    void CopyStream(int fd, const std::string& name);

    std::string m_path;
    bool m_copy = false;
    bool m_overLong = false;
};

/* How a message names the input: "standard input" for "-". */
std::string InputName(const std::string& path);

/* The whole text of the document at `path`, "-" for standard input, at most
 * `limit` bytes; a Failure (kExitFile) when it cannot be read, and
 * (kExitFailed) when it is longer. */
std::string ReadDocument(const std::string& path, size_t limit);

#endif
