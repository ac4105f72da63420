/* Native methods of com.kestrel.vimora.jni.JNIMakeBin, the top of the
 * library: each one only hands its arguments to the operation below it.
 * Plain C: usable from C and C++. */
#ifndef COM_KESTREL_VIMORA_JNI_JNIMAKEBIN_H
#define COM_KESTREL_VIMORA_JNI_JNIMAKEBIN_H

#include <jni.h>

#include "include/ks_type.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Bin file methods. */
JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_makePanelBin(
    JNIEnv* env, jobject jobj, jobject headerParam, jobjectArray dataParamArray,
    jstring fileName, jstring chipSeries);
JNIEXPORT jobject JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_readBinHeader(
    JNIEnv* env, jobject jobj, jobject headerParam, jstring fileName, jstring chipSeries);
JNIEXPORT jobject JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_readBinBody(
    JNIEnv* env, jobject jobj, jobject dataParam, jint panelIndex, jstring fileName,
    jstring chipSeries);

/* Board methods. */
JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_startSerialConnection(
    JNIEnv* env, jobject jobj, jstring portName, jint timeout, jint baudRate, jint dataBits,
    jint stopBits, jint parity, jint flowControl);
JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_startNetConnection(
    JNIEnv* env, jobject jobj, jstring ip, jint port);
JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_endConnection(JNIEnv* env,
                                                                           jobject jobj);
JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_writePanelDataToBoard(
    JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries);
JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_readPanelDataFromBoard(
    JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries);
JNIEXPORT jstring JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_getStrError(JNIEnv* env,
                                                                            jobject jobj);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif
