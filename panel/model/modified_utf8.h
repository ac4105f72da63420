/* Text as the JVM hands it out and takes it back: modified UTF-8 (a zero
 * character is C0 80, a supplementary character two 3-byte surrogates). */
#ifndef PANEL_MODEL_MODIFIED_UTF8_H
#define PANEL_MODEL_MODIFIED_UTF8_H

#include <stddef.h>

#include "include/ks_type.h"

/* Length of the longest prefix of bytes[0, length) that fits in `limit`
 * bytes without cutting a character, or a surrogate pair, in two. */
size_t WholeCharacterPrefix(const KS_CHAR* bytes, size_t length, size_t limit);

/* Decodes bytes[0, length) into UTF-16 units in `out`, which must hold
 * `length` units; returns the number of units. Modified UTF-8 and standard
 * 4-byte sequences decode to their characters; any other byte becomes
 * U+FFFD, so text from a file written elsewhere never fails. */
size_t DecodeModifiedUtf8(const KS_U8* bytes, size_t length, KS_U16* out);

#endif
