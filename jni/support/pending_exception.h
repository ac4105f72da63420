/* The text of the exception a JNI call left pending, for a failure reason,
 * with the exception left pending as it was: what Java sees of the call
 * does not change because its reason was asked for. */
#ifndef JNI_SUPPORT_PENDING_EXCEPTION_H
#define JNI_SUPPORT_PENDING_EXCEPTION_H

#include <jni.h>
#include <stddef.h>

/* Writes the pending exception's toString() ("java.lang.NoSuchFieldError:
 * chName") into `out` (at most size - 1 bytes and a zero, modified UTF-8);
 * false, with `out` empty, when none is pending or it cannot be read. */
bool PendingExceptionText(JNIEnv* env, char* out, size_t size);

#endif
