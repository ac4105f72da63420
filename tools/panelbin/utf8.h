/* Text between JSON (UTF-8) and the records (the JVM's modified UTF-8, as
 * makePanelBin stores a Java String). */
#ifndef PANELBIN_UTF8_H
#define PANELBIN_UTF8_H

#include <stddef.h>

#include <string>

#include "include/ks_type.h"

/* Valid UTF-8 (as the JSON parser hands it out) in modified UTF-8: U+0000
 * as C0 80, a character beyond U+FFFF as its two surrogates of 3 bytes. */
std::string ToModifiedUtf8(const std::string& utf8);

/* Record text as UTF-8, decoded as the readers decode it for Java; a
 * surrogate without its partner, which UTF-8 cannot hold, becomes U+FFFD. */
std::string FromModifiedUtf8(const KS_U8* bytes, size_t length);

#endif
