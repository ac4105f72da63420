/* Replacing a file whole or not at all.
 *
 * A bin file that is cut short or left empty bricks a panel, so the writer
 * never writes over the target: it fills a temporary file beside it, makes
 * it durable and renames it over the target. */
#ifndef BASE_ATOMIC_FILE_H
#define BASE_ATOMIC_FILE_H

#include <stddef.h>

/* Makes the file at `path` hold exactly data[0, size). True once the new
 * contents are in place and synced, directory entry included.
 *
 * On false the target is as it was and no temporary file remains, with one
 * exception: when only the final sync of the directory fails, the new file
 * is already in place but may not survive a crash.
 *
 * The new file gets the permissions fopen would give: 0666 less the umask
 * for a new file, the old mode (and, where allowed, owner) for an existing
 * one. A symbolic link is followed, so the file it names is replaced. Fails
 * for a missing directory, for an existing target that is not a regular
 * file or not writable, and when the file size limit stops the write (the
 * SIGXFSZ that limit raises is absorbed, never fatal). After false, errno
 * tells why. */
bool ReplaceFileContents(const char* path, const void* data, size_t size);

#endif
