/* The board methods of JNIMakeBin: each forwards unchanged to the board
 * panel transfer, behind the guard that keeps exceptions from the JVM. */
#include "board/panel_transfer.h"
#include "jni/com_kestrel_vimora_jni_JNIMakeBin.h"
#include "base/entry_guard.h"

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_startSerialConnection(
    JNIEnv* env, jobject jobj, jstring portName, jint timeout, jint baudRate, jint dataBits,
    jint stopBits, jint parity, jint flowControl) {
    return GuardedEntry(-1, [=] {
        return startSerailConnection(env, jobj, portName, timeout, baudRate, dataBits, stopBits,
                                     parity, flowControl);
    });
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_startNetConnection(
    JNIEnv* env, jobject jobj, jstring ip, jint port) {
    return GuardedEntry(-1, [=] { return startNetConnection(env, jobj, ip, port); });
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_endConnection(JNIEnv* env,
                                                                           jobject jobj) {
    return GuardedEntry(-1, [=] { return endConnection(env, jobj); });
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_writePanelDataToBoard(
    JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries) {
    return GuardedEntry(-1, [=] { return writePanelDataToBoard(env, jobj, dataParam, chipSeries); });
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_readPanelDataFromBoard(
    JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries) {
    return GuardedEntry(-1, [=] { return readPanelDataFromBoard(env, jobj, dataParam, chipSeries); });
}

JNIEXPORT jstring JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_getStrError(JNIEnv* env,
                                                                            jobject jobj) {
    return GuardedEntry(static_cast<jstring>(nullptr), [=] { return getStrError(env, jobj); });
}
