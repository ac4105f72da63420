/* Native methods of com.kestrel.vimora.jni.MakeBinDiagnostics: this
 * thread's last failure reason and notes, and the library's version.
 * Static methods, so each receives the class. Plain C: usable from C and C++. */
#ifndef COM_KESTREL_VIMORA_JNI_MAKEBINDIAGNOSTICS_H
#define COM_KESTREL_VIMORA_JNI_MAKEBINDIAGNOSTICS_H

#include <jni.h>

#ifdef __cplusplus
extern "C" {
#endif

JNIEXPORT jstring JNICALL Java_com_kestrel_vimora_jni_MakeBinDiagnostics_lastFailure(JNIEnv* env,
                                                                                     jclass cls);
JNIEXPORT jobjectArray JNICALL
Java_com_kestrel_vimora_jni_MakeBinDiagnostics_lastNotes(JNIEnv* env, jclass cls);
JNIEXPORT jstring JNICALL
Java_com_kestrel_vimora_jni_MakeBinDiagnostics_libraryVersion(JNIEnv* env, jclass cls);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif
