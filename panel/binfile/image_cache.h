/* Whole images of bin files that are known not to have changed since they
 * were read. A GUI opening a file reads its header and then every panel,
 * one call each; each call opening, inspecting, reading and closing the
 * file costs five system calls, which on a virtual machine take longer
 * than everything else the call does. A file kept here costs one: the stat
 * of its name.
 *
 * Only a settled file is kept: one on a local file system whose change
 * time lies kSettledSeconds or more behind the wall clock. Any later write
 * to it, or a new file in its place, then gets a change time (or an inode)
 * of its own, so equal stat fields prove that the bytes are the ones read:
 * a change within the same tick of the file system's clock cannot go
 * unseen, as it could for a file written a moment ago. Such fresh files,
 * and those on network or user-space file systems (their stat can be
 * answered from a cache, and their clocks are not this machine's), are
 * read from the file on every call.
 *
 * A few files only, the least recently used going first; safe from many
 * threads. */
#ifndef PANEL_BINFILE_IMAGE_CACHE_H
#define PANEL_BINFILE_IMAGE_CACHE_H

#include <sys/stat.h>

#include <memory>

#include "include/ks_type.h"
#include "panel/binfile/format.h"

/* kBinFileSize bytes: the file's first bytes, zero past its end. */
using SharedImage = std::shared_ptr<const KS_U8>;

/* Time a file's last change must lie behind the wall clock before it is
 * kept: more than the coarsest timestamps of a local file system (FAT's
 * two seconds) and the tick of the clock they are taken from. */
const int kSettledSeconds = 3;

/* Whether any later change to the open file `fd`, which `st` describes, is
 * bound to show in its stat fields. */
bool IsSettledFile(int fd, const struct stat& st);

/* The image kept under the name `path` for the file that `st` (a stat of
 * that name) describes, or null. An entry for the same file whose size or
 * times differ is dropped. */
SharedImage FindSettledImage(const char* path, const struct stat& st);

/* Keeps `image` under the name `path` for the file `st` describes: its
 * fstat, taken before the image was read, for which IsSettledFile said
 * yes. Names longer than PATH_MAX are not kept. */
void RememberSettledImage(const char* path, const struct stat& st, SharedImage image);

/* Whether an image is kept under the name `path`: only then is the name
 * worth a stat before the file is opened, so that reading a file without
 * one costs no more than it did. */
bool IsKeptName(const char* path);

/* A new image buffer of kBinFileSize bytes (not cleared), or null. */
std::shared_ptr<KS_U8> NewImageBuffer();

#endif
