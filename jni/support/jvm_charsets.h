/* The JVM's two charsets, as new local references: its default one, in
 * which texts (chip series, addresses) are encoded, and the one of its own
 * file names. Internal C++. */
#ifndef JNI_SUPPORT_JVM_CHARSETS_H
#define JNI_SUPPORT_JVM_CHARSETS_H

#include <jni.h>

/* Charset.defaultCharset(); null with the JVM's exception, if any, pending. */
jobject DefaultCharset(JNIEnv* env, jclass charsetClass);

/* The charset of the JVM's own file names; null with the JVM's exception,
 * if any, pending (a name the JVM does not know raises). */
jobject FileNameCharset(JNIEnv* env, jclass charsetClass);

#endif
