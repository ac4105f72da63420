/* Replacing a file whole or not at all.
 *
 * A bin file that is cut short or left empty bricks a panel, so the writer
 * never writes over the target: it fills a temporary file beside it, makes
 * it durable and renames it over the target. */
#ifndef BASE_ATOMIC_FILE_H
#define BASE_ATOMIC_FILE_H

#include <stddef.h>

/* Makes the file at `path` hold exactly data[0, size). True once the new
 * contents, synced, have been renamed over the target.
 *
 * On false the target is exactly as it was and no temporary file of the
 * call remains. After the rename the result is true whatever follows: the
 * directory entry is synced (a directory without read permission, mode
 * 0333, cannot be opened for that, so its whole file system is synced
 * instead) and the file closed, and their failure leaves only the
 * durability of the new entry in doubt, never which file is there.
 *
 * The new file gets the permissions fopen would give: 0666 less the umask
 * for a new file, the old mode (and, where allowed, owner) for an existing
 * one. A symbolic link is followed, so the file it names is replaced. Fails
 * for a missing directory, for an existing target that is not a regular
 * file or not writable, and when the file size limit stops the write (the
 * SIGXFSZ that limit raises is absorbed, never fatal). After false, errno
 * tells why.
 *
 * A temporary that a killed writer left beside the target is removed by
 * the next call for that target (base/temp_file.h). */
bool ReplaceFileContents(const char* path, const void* data, size_t size);

#endif
