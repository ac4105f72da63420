/* The bin file native methods of JNIMakeBin: each forwards unchanged to
 * its operation in panel/java/bin_operations.cpp, which is an exported
 * function itself and stands behind the entry guard. */
#include "jni/com_kestrel_vimora_jni_JNIMakeBin.h"
#include "panel/java/bin_operations.h"

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_makePanelBin(
    JNIEnv* env, jobject jobj, jobject headerParam, jobjectArray dataParamArray,
    jstring fileName, jstring chipSeries) {
    return MakePanelBin(env, jobj, headerParam, dataParamArray, fileName, chipSeries);
}

JNIEXPORT jobject JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_readBinHeader(
    JNIEnv* env, jobject jobj, jobject headerParam, jstring fileName, jstring chipSeries) {
    return ReadPanelHeader(env, jobj, headerParam, fileName, chipSeries);
}

JNIEXPORT jobject JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_readBinBody(
    JNIEnv* env, jobject jobj, jobject dataParam, jint panelIndex, jstring fileName,
    jstring chipSeries) {
    return ReadPanelBody(env, jobj, dataParam, panelIndex, fileName, chipSeries);
}
