/* The files panelbin reads, each opened once and checked for what it is
 * before anything is read. A bin file is a regular file, standard input
 * ("-") or a pipe, read once, whole, into memory, where the library's
 * in-memory reader and check work on it; a directory, a terminal or a
 * device is refused with the reason. */
#ifndef PANELBIN_INPUT_H
#define PANELBIN_INPUT_H

#include <string>
#include <vector>

#include "include/ks_type.h"

class BinInput {
public:
    /* Reads `path` ("-": standard input) once, whole; a Failure (kExitFile)
     * saying why it cannot be read as a bin file. */
    explicit BinInput(const std::string& path);

    /* The image: at most 819200 bytes, what the readers look at. */
    const KS_U8* bytes() const { return m_image.data(); }
    size_t imageSize() const { return m_image.size(); }
    /* The input's own size: a regular file's length, or what a stream
     * held, counted up to one byte past 819200. */
    size_t size() const { return m_size; }
    /* Whether a stream held more bytes than a bin file has. */
    bool overLong() const { return m_overLong; }

private:
    std::vector<KS_U8> m_image;
    size_t m_size = 0;
    bool m_overLong = false;
};

/* How a message names the input: "standard input" for "-". */
std::string InputName(const std::string& path);

/* The whole text of the document at `path`, "-" for standard input, at most
 * `limit` bytes; a Failure (kExitFile) when it cannot be read, and
 * (kExitFailed) when it is longer. */
std::string ReadDocument(const std::string& path, size_t limit);

#endif
