/* The board methods of JNIMakeBin: each forwards unchanged to the board
 * panel transfer, behind the guard that keeps exceptions from the JVM, and
 * leaves its reason for MakeBinDiagnostics (board/board_reasons.h); the
 * result is the transfer's, whatever the reason says. */
#include "board/panel_transfer.h"
#include "jni/com_kestrel_vimora_jni_JNIMakeBin.h"
#include "base/call_report.h"
#include "base/entry_guard.h"
#include "board/board_reasons.h"

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_startSerialConnection(
    JNIEnv* env, jobject jobj, jstring portName, jint timeout, jint baudRate, jint dataBits,
    jint stopBits, jint parity, jint flowControl) {
    return GuardedEntry(-1, [=] {
        ReportedCall report;
        const jint result = startSerailConnection(env, jobj, portName, timeout, baudRate,
                                                  dataBits, stopBits, parity, flowControl);
        ReportSerialStart(env, result, portName, timeout);
        return result;
    });
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_startNetConnection(
    JNIEnv* env, jobject jobj, jstring ip, jint port) {
    return GuardedEntry(-1, [=] {
        ReportedCall report;
        const jint result = startNetConnection(env, jobj, ip, port);
        ReportNetStart(env, result, ip, port);
        return result;
    });
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_endConnection(JNIEnv* env,
                                                                           jobject jobj) {
    return GuardedEntry(-1, [=] {
        ReportedCall report;
        const jint result = endConnection(env, jobj);
        ReportEnd(result);
        return result;
    });
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_writePanelDataToBoard(
    JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries) {
    return GuardedEntry(-1, [=] {
        ReportedCall report;
        const jint result = writePanelDataToBoard(env, jobj, dataParam, chipSeries);
        ReportPanelTransfer(env, "writePanelDataToBoard", "sending the panel to the board", result,
                            dataParam, chipSeries);
        return result;
    });
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_readPanelDataFromBoard(
    JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries) {
    return GuardedEntry(-1, [=] {
        ReportedCall report;
        const jint result = readPanelDataFromBoard(env, jobj, dataParam, chipSeries);
        ReportPanelTransfer(env, "readPanelDataFromBoard", "fetching the panel from the board",
                            result, dataParam, chipSeries);
        return result;
    });
}

JNIEXPORT jstring JNICALL Java_com_kestrel_vimora_jni_JNIMakeBin_getStrError(JNIEnv* env,
                                                                            jobject jobj) {
    return GuardedEntry(static_cast<jstring>(nullptr), [=] { return getStrError(env, jobj); });
}
