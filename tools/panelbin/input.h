/* The files panelbin reads, opened once and checked for what they are
 * before anything is read: a bin file must be a regular file, a document
 * may also come from standard input ("-") or a pipe. */
#ifndef PANELBIN_INPUT_H
#define PANELBIN_INPUT_H

#include <string>

/* A Failure (kExitFile) saying why `path` is not a bin file that can be
 * read: missing, unreadable, a directory, a terminal, a pipe or a device
 * (which would be read forever or not at all). */
void RequireBinFile(const std::string& path);

/* The whole text of the document at `path`, "-" for standard input, at most
 * `limit` bytes; a Failure (kExitFile) when it cannot be read, and
 * (kExitFailed) when it is longer. */
std::string ReadDocument(const std::string& path, size_t limit);

#endif
