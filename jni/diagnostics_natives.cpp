/* The native methods of MakeBinDiagnostics: this thread's report
 * (base/call_report.h) handed to Java as new strings. Reading the report
 * does not change it. */
#include "jni/com_kestrel_vimora_jni_MakeBinDiagnostics.h"

#include "base/call_report.h"
#include "base/entry_guard.h"
#include "jni/support/jni_ref.h"
#include "jni/support/jni_strings.h"
#include "makebin_version.h"

namespace {

/* Every note as a String; null with the JVM's exception pending when one
 * cannot be made. */
jobjectArray Notes(JNIEnv* env) {
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass) return nullptr;
    const size_t count = ReportedNoteCount();
    LocalRef<jobjectArray> notes(
        env, env->NewObjectArray(static_cast<jsize>(count), stringClass.get(), nullptr));
    if (!notes) return nullptr;
    for (size_t i = 0; i < count; ++i) {
        LocalRef<jstring> note(env, CStr2Jstring(env, ReportedNote(i)));
        if (!note) return nullptr;
        env->SetObjectArrayElement(notes.get(), static_cast<jsize>(i), note.get());
        if (env->ExceptionCheck() == JNI_TRUE) return nullptr;
    }
    return notes.release();
}

}  // namespace

JNIEXPORT jstring JNICALL Java_com_kestrel_vimora_jni_MakeBinDiagnostics_lastFailure(JNIEnv* env,
                                                                                     jclass cls) {
    (void)cls;
    return GuardedEntry(static_cast<jstring>(nullptr), [env]() -> jstring {
        const char* failure = ReportedFailure();
        return failure != nullptr ? CStr2Jstring(env, failure) : nullptr;
    });
}

JNIEXPORT jobjectArray JNICALL
Java_com_kestrel_vimora_jni_MakeBinDiagnostics_lastNotes(JNIEnv* env, jclass cls) {
    (void)cls;
    return GuardedEntry(static_cast<jobjectArray>(nullptr), [env] { return Notes(env); });
}

JNIEXPORT jstring JNICALL
Java_com_kestrel_vimora_jni_MakeBinDiagnostics_libraryVersion(JNIEnv* env, jclass cls) {
    (void)cls;
    return GuardedEntry(static_cast<jstring>(nullptr),
                        [env] { return env->NewStringUTF(MAKEBIN_VERSION); });
}
