// Natives of BoardTransferTest: reach the board write and read with objects of any
// class, which the Java signature of JNIMakeBin would not allow.
#include <jni.h>

#include "board/panel_transfer.h"

extern "C" JNIEXPORT jint JNICALL Java_com_kestrel_vimora_board_BoardTransferTest_writeAny(
    JNIEnv* env, jclass, jobject dataParam, jstring chipSeries) {
    return writePanelDataToBoard(env, nullptr, dataParam, chipSeries);
}

extern "C" JNIEXPORT jint JNICALL Java_com_kestrel_vimora_board_BoardTransferTest_readAny(
    JNIEnv* env, jclass, jobject dataParam, jstring chipSeries) {
    return readPanelDataFromBoard(env, nullptr, dataParam, chipSeries);
}
