/* Scalar types shared by every record the library stores or sends. */
#ifndef KS_TYPE_H
#define KS_TYPE_H

#include <stdint.h>

/* Every enumeration is pinned to 32 unsigned bits: records carry whatever
 * value a file or a board holds, in range or not. */

typedef uint8_t KS_U8;
typedef uint16_t KS_U16;
typedef uint32_t KS_U32;
typedef int32_t KS_S32;
typedef char KS_CHAR;

/* A bool is 4 bytes wide on disk and on the wire, so it is an enumeration,
 * never the language's own bool. */
typedef enum ksBOOL : KS_U32 {
    KS_FALSE = 0,
    KS_TRUE = 1
} KS_BOOL;

#endif /* KS_TYPE_H */
