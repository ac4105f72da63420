/* One panel's info record to and from a live board over the board link.
 * Plain C: usable from C and C++. */
#ifndef PANEL_TRANSFER_H
#define PANEL_TRANSFER_H

#include <jni.h>

#include "include/ks_type.h"

#ifdef __cplusplus
extern "C" {
#endif

KS_S32 startSerailConnection(JNIEnv* env, jobject jobj, jstring portName, jint timeout,
                             jint baudRate, jint dataBits, jint stopBits, jint parity,
                             jint flowControl);
KS_S32 startNetConnection(JNIEnv* env, jobject jobj, jstring ip, jint port);
KS_S32 endConnection(JNIEnv* env, jobject jobj);
KS_S32 writePanelDataToBoard(JNIEnv* env, jobject jobj, jobject dataParamObj,
                             jstring chipSeries);
KS_S32 readPanelDataFromBoard(JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries);
jstring getStrError(JNIEnv* env, jobject jobj);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif
