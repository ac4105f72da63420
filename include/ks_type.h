/* Scalar types shared by every record the library stores or sends. */
#ifndef KS_TYPE_H
#define KS_TYPE_H

#include <stdint.h>

/* Every enumeration is pinned to 32 unsigned bits: records carry whatever
 * value a file or a board holds, in range or not. C11 cannot say so; its
 * compilers on both targets give these enumerations (all values in int
 * range) the same 4 unsigned bytes, so the records keep their layout in C. */
#ifdef __cplusplus
#define KS_ENUM_U32 : KS_U32
#else
#define KS_ENUM_U32
#endif

typedef uint8_t KS_U8;
typedef uint16_t KS_U16;
typedef uint32_t KS_U32;
typedef int32_t KS_S32;
typedef char KS_CHAR;

/* A bool is 4 bytes wide on disk and on the wire, so it is an enumeration,
 * never the language's own bool. */
typedef enum ksBOOL KS_ENUM_U32 {
    KS_FALSE = 0,
    KS_TRUE = 1
} KS_BOOL;

#endif /* KS_TYPE_H */
