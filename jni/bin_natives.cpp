/* The bin file native methods of JNIMakeBin: each forwards unchanged to
 * its operation in panel/java/bin_operations.cpp, behind the entry guard like every
 * exported function. */
#include "jni/com_kestrel_vimora_jni_JNIMakeBin.h"
#include "base/entry_guard.h"
#include "panel/java/bin_operations.h"

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_makePanelBin(
    JNIEnv* env, jobject jobj, jobject headerParam, jobjectArray dataParamArray,
    jstring fileName, jstring chipSeries) {
    return GuardedEntry<jint>(-1, [&] {
        return MakePanelBin(env, jobj, headerParam, dataParamArray, fileName, chipSeries);
    });
}

JNIEXPORT jobject JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_readBinHeader(
    JNIEnv* env, jobject jobj, jobject headerParam, jstring fileName, jstring chipSeries) {
    return GuardedEntry<jobject>(
        nullptr, [&] { return ReadPanelHeader(env, jobj, headerParam, fileName, chipSeries); });
}

JNIEXPORT jobject JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_readBinBody(
    JNIEnv* env, jobject jobj, jobject dataParam, jint panelIndex, jstring fileName,
    jstring chipSeries) {
    return GuardedEntry<jobject>(nullptr, [&] {
        return ReadPanelBody(env, jobj, dataParam, panelIndex, fileName, chipSeries);
    });
}
