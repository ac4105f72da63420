/* Native methods of com.kestrel.vimora.jni.JNIMakeBin, the string
 * conversions every operation uses, and the command values of the board
 * panel exchange. Plain C: usable from C and C++. */
#ifndef COM_KESTREL_VIMORA_JNI_JNIMAKEBIN_H
#define COM_KESTREL_VIMORA_JNI_JNIMAKEBIN_H

#include <jni.h>
#include <stdio.h>

#include "ks_type.h"

/* Header commands (the message header's 16-bit command). */
typedef enum ksMDBG_CMD {
    KS_MDBG_CMD_UART_SWITCH = 0x1000,
    KS_MDBG_CMD_ECHO_ACK = 0x1001,
    KS_MDBG_CMD_PQ = 0x6000,
    KS_MDBG_CMD_PANEL = 0x8000,
    KS_MDBG_CMD_VIR = 0x8001
} KS_MDBG_CMD;

/* Panel sub-commands: the first 32-bit word of a panel request's data. */
typedef enum ksPANEL_DBG_CMD {
    PANEL_CMD_READ_INFO = 0,
    PANEL_CMD_WRITE_INFO = 1,
    PANEL_CMD_BUTT = 2
} KS_PANEL_DBG_CMD;

#ifdef __cplusplus
extern "C" {
#endif

/* A malloc'ed, zero-terminated copy of the string's bytes in the JVM's
 * default charset, or NULL (null string or pending exception: the exception
 * is described and cleared). The caller frees it. */
char* JStringToWindows(JNIEnv* pJNIEnv, jstring jstr);

/* A new Java string decoded from UTF-8 bytes; NULL for a NULL text. */
jstring CStr2Jstring(JNIEnv* env, const char* pat);

/* As CStr2Jstring with the charset name "UTF8"; NULL for a NULL text or a
 * pending exception (described and cleared). */
jstring WindowsTojstring(JNIEnv* env, char* str);

/* Compatibility shims over the C library. */
int fopen_s(FILE** _f, const char* _fileName, const char* _mode);
char* strtok_s(char* _Str, const char* _Delim, char** _Context);
KS_U32 getFileLength(const char* path);

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
