/* Speed-up for every call that takes a file name or a chip series: a
 * string of ASCII characters is converted without calling into Java when
 * the JVM's charset for it encodes ASCII as itself (UTF-8, US-ASCII,
 * ISO-8859-x). The JVM fixes both of its charsets when it starts, so the
 * verdict on each is taken once per process. Every other string, and every
 * string under another charset, goes through the charset's encoder in
 * jni/support/jni_strings.cpp, which gives the same bytes for ASCII text.
 * Internal C++. */
#ifndef JNI_SUPPORT_SPEEDUP_ASCII_STRINGS_H
#define JNI_SUPPORT_SPEEDUP_ASCII_STRINGS_H

#include <jni.h>

/* Which of the JVM's charsets a string is encoded in. */
enum class JvmCharset { kDefault, kFileNames };

/* The bytes of `jstr` in charset `which`, malloc'ed and terminated, with
 * *done true, when the charset keeps ASCII and the string holds only
 * characters in [1, 0x80); NULL with *done true for a string holding a
 * zero character (refused either way); NULL with *done false otherwise:
 * the caller converts the long way. No exception is left pending. */
char* AsciiBytesIfKept(JNIEnv* env, jstring jstr, JvmCharset which, bool* done);

#endif
