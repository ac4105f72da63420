// Natives of StringConversionTest: expose the string conversions to Java,
// including calls made while an exception is pending.
#include <jni.h>
#include <stdlib.h>
#include <string.h>

#include "jni/support/jni_strings.h"

namespace {

jbyteArray BytesOf(JNIEnv* env, char* converted) {
    if (converted == nullptr) return nullptr;
    jsize n = static_cast<jsize>(strlen(converted));
    jbyteArray out = env->NewByteArray(n);
    if (out != nullptr) env->SetByteArrayRegion(out, 0, n, reinterpret_cast<jbyte*>(converted));
    free(converted);
    return out;
}

// Zero-terminated copy of a Java byte array (null stays null).
char* CopyBytes(JNIEnv* env, jbyteArray bytes) {
    if (bytes == nullptr) return nullptr;
    jsize n = env->GetArrayLength(bytes);
    char* text = static_cast<char*>(calloc(static_cast<size_t>(n) + 1, 1));
    if (text != nullptr) env->GetByteArrayRegion(bytes, 0, n, reinterpret_cast<jbyte*>(text));
    return text;
}

void RaisePending(JNIEnv* env) {
    jclass error = env->FindClass("java/lang/IllegalStateException");
    if (error != nullptr) env->ThrowNew(error, "pending before the conversion");
}

}  // namespace

extern "C" {

JNIEXPORT jbyteArray JNICALL Java_com_kestrel_vimora_jni_StringConversionTest_toBytes(
    JNIEnv* env, jclass, jstring text) {
    return BytesOf(env, JStringToWindows(env, text));
}

JNIEXPORT jboolean JNICALL
Java_com_kestrel_vimora_jni_StringConversionTest_convertsWithExceptionPending(JNIEnv* env, jclass,
                                                                             jstring text) {
    RaisePending(env);
    char* converted = JStringToWindows(env, text);
    free(converted);
    return converted != nullptr ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jstring JNICALL Java_com_kestrel_vimora_jni_StringConversionTest_fromUtf8(
    JNIEnv* env, jclass, jbyteArray bytes) {
    char* text = CopyBytes(env, bytes);
    jstring result = CStr2Jstring(env, text);
    free(text);
    return result;
}

JNIEXPORT jstring JNICALL Java_com_kestrel_vimora_jni_StringConversionTest_fromUtf8Named(
    JNIEnv* env, jclass, jbyteArray bytes) {
    char* text = CopyBytes(env, bytes);
    jstring result = WindowsTojstring(env, text);
    free(text);
    return result;
}

JNIEXPORT jboolean JNICALL
Java_com_kestrel_vimora_jni_StringConversionTest_buildsWithExceptionPending(JNIEnv* env,
                                                                           jclass) {
    RaisePending(env);
    jstring a = CStr2Jstring(env, "a");
    RaisePending(env);
    jstring b = WindowsTojstring(env, const_cast<char*>("b"));
    return a != nullptr || b != nullptr ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jlong JNICALL Java_com_kestrel_vimora_jni_StringConversionTest_fileLength(
    JNIEnv* env, jclass, jstring path) {
    char* name = JStringToWindows(env, path);
    jlong length = static_cast<jlong>(getFileLength(name));
    free(name);
    return length;
}

}  // extern "C"
