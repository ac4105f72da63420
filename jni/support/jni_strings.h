/* String conversion between Java and zero-terminated bytes, shared by the
 * Java-facing bin file operations and the board transfer, and the small
 * C-library shims the library exports beside it. Plain C: usable from C
 * and C++. */
#ifndef JNI_SUPPORT_JNI_STRINGS_H
#define JNI_SUPPORT_JNI_STRINGS_H

#include <jni.h>
#include <stdio.h>

#include "include/ks_type.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A malloc'ed, zero-terminated copy of the string's bytes in the JVM's
 * default charset, or NULL (null string or pending exception: the exception
 * is described and cleared). The caller frees it. */
char* JStringToWindows(JNIEnv* pJNIEnv, jstring jstr);

/* A malloc'ed, zero-terminated copy of a file name's bytes, encoded as the
 * JVM encodes the names of its own file calls (java.io.File, java.nio):
 * with the charset of the system property "sun.jnu.encoding", or the
 * default charset where that is not set. NULL for a null string, a pending
 * exception (described and cleared), a name that the encoding cannot
 * represent, and a name containing a zero character: such a name would
 * reach another file than the one Java's own File means. No exception of
 * the conversion's own is left pending. The caller frees it. Not exported. */
char* JStringToFileName(JNIEnv* env, jstring jstr);

/* A new Java string decoded from UTF-8 bytes; NULL for a NULL text. */
jstring CStr2Jstring(JNIEnv* env, const char* pat);

/* As CStr2Jstring with the charset name "UTF8"; NULL for a NULL text or a
 * pending exception (described and cleared). */
jstring WindowsTojstring(JNIEnv* env, char* str);

/* Compatibility shims over the C library. */
int fopen_s(FILE** _f, const char* _fileName, const char* _mode);
char* strtok_s(char* _Str, const char* _Delim, char** _Context);
KS_U32 getFileLength(const char* path);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif
