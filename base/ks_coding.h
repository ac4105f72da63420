/* The one little-endian codec of the library: bin file images, record
 * members and board frames all store integers low byte first, whatever the
 * host. Storing fewer bytes than a value has is how an int is narrowed into
 * a 16-bit or 8-bit member.
 *
 * Internal to the library and its tools; plain C so that it may sit beside
 * the public headers. */
#ifndef BASE_KS_CODING_H
#define BASE_KS_CODING_H

#include <stddef.h>
#include <string.h>

#include "include/ks_type.h"

/* The low `width` bytes (at most 4) of value, low byte first. */
static inline void KS_EncodeLE(KS_U8* out, KS_U32 value, size_t width) {
    for (size_t i = 0; i < width; ++i) out[i] = (KS_U8)(value >> (8 * i));
}

/* `width` bytes (at most 4), low byte first, widened without sign. */
static inline KS_U32 KS_DecodeLE(const KS_U8* in, size_t width) {
    KS_U32 value = 0;
    for (size_t i = width; i-- > 0;) value = value << 8 | in[i];
    return value;
}

/* A 32-bit value in one store or load where the host is little-endian: its
 * bytes in memory are then already the encoding, and compilers keep the
 * byte loop above as a loop. The writer runs this some 60 times a panel. */
static inline void KS_EncodeU32(KS_U8* out, KS_U32 value) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    memcpy(out, &value, sizeof value);
#else
    KS_EncodeLE(out, value, 4);
#endif
}

static inline KS_U32 KS_DecodeU32(const KS_U8* in) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    KS_U32 value;
    memcpy(&value, in, sizeof value);
    return value;
#else
    return KS_DecodeLE(in, 4);
#endif
}

#endif /* BASE_KS_CODING_H */
