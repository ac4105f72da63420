/* The board methods of JNIMakeBin: each forwards unchanged to the board
 * panel transfer. */
#include "board/panel_transfer.h"
#include "com_kestrel_vimora_jni_JNIMakeBin.h"

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_startSerialConnection(
    JNIEnv* env, jobject jobj, jstring portName, jint timeout, jint baudRate, jint dataBits,
    jint stopBits, jint parity, jint flowControl) {
    return startSerailConnection(env, jobj, portName, timeout, baudRate, dataBits, stopBits,
                                 parity, flowControl);
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_startNetConnection(
    JNIEnv* env, jobject jobj, jstring ip, jint port) {
    return startNetConnection(env, jobj, ip, port);
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_endConnection(JNIEnv* env,
                                                                           jobject jobj) {
    return endConnection(env, jobj);
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_writePanelDataToBoard(
    JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries) {
    return writePanelDataToBoard(env, jobj, dataParam, chipSeries);
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_readPanelDataFromBoard(
    JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries) {
    return readPanelDataFromBoard(env, jobj, dataParam, chipSeries);
}

JNIEXPORT jstring JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_getStrError(JNIEnv* env,
                                                                            jobject jobj) {
    return getStrError(env, jobj);
}
