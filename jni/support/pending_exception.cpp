/* Reading a pending exception's text: the exception is taken aside, since
 * the JVM allows almost no call while one is pending, and thrown again. */
#include "jni/support/pending_exception.h"

#include <string.h>

#include "jni/support/jni_ref.h"

namespace {

/* The text of `thrown`, read with no exception pending. */
bool TextOf(JNIEnv* env, jthrowable thrown, char* out, size_t size) {
    memset(out, 0, size); /* the zero after the region's bytes */
    LocalRef<jclass> cls(env, env->GetObjectClass(thrown));
    jmethodID toString =
        cls ? env->GetMethodID(cls.get(), "toString", "()Ljava/lang/String;") : nullptr;
    if (toString == nullptr) return false;
    LocalRef<jstring> text(env, static_cast<jstring>(env->CallObjectMethod(thrown, toString)));
    if (env->ExceptionCheck() == JNI_TRUE || !text) return false;
    const jsize units = env->GetStringLength(text.get());
    const jsize utfBytes = env->GetStringUTFLength(text.get());
    if (utfBytes < 0 || static_cast<size_t>(utfBytes) >= size) {
        /* Too long: the part that surely fits, three bytes per unit at most. */
        jsize fits = static_cast<jsize>((size - 1) / 3);
        env->GetStringUTFRegion(text.get(), 0, fits < units ? fits : units, out);
    } else {
        env->GetStringUTFRegion(text.get(), 0, units, out);
    }
    return env->ExceptionCheck() != JNI_TRUE;
}

}  // namespace

bool PendingExceptionText(JNIEnv* env, char* out, size_t size) {
    if (size == 0) return false;
    out[0] = '\0';
    LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (!thrown) return false;
    env->ExceptionClear();
    const bool read = TextOf(env, thrown.get(), out, size);
    /* Whatever reading raised gives way to the exception of the call. */
    env->ExceptionClear();
    if (!read) out[0] = '\0';
    return env->Throw(thrown.get()) == 0 && read;
}
