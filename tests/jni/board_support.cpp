// Natives of BoardTransferTest: reach the board write and read with objects of any
// class, which the Java signature of JNIMakeBin would not allow.
#include <jni.h>

#include "board/panel_transfer.h"
#include "tests/native/comm_stuck_line.h"

extern "C" JNIEXPORT jint JNICALL Java_com_kestrel_vimora_board_BoardTransferTest_writeAny(
    JNIEnv* env, jclass, jobject dataParam, jstring chipSeries) {
    return writePanelDataToBoard(env, nullptr, dataParam, chipSeries);
}

extern "C" JNIEXPORT jint JNICALL Java_com_kestrel_vimora_board_BoardTransferTest_readAny(
    JNIEnv* env, jclass, jobject dataParam, jstring chipSeries) {
    return readPanelDataFromBoard(env, nullptr, dataParam, chipSeries);
}

// Natives of BoardStuckLineTest: a serial line whose far end answers the
// first header, then stops the line's output, so that no byte the library
// writes can leave.
namespace {
StuckLine* gStuck = nullptr;
}

extern "C" JNIEXPORT jstring JNICALL
Java_com_kestrel_vimora_board_BoardStuckLineTest_openStuckLine(JNIEnv* env, jclass) {
    gStuck = new StuckLine(true);
    return gStuck->Path().empty() ? nullptr : env->NewStringUTF(gStuck->Path().c_str());
}

// Hangs the line up: whatever still waits on it fails at once.
extern "C" JNIEXPORT void JNICALL
Java_com_kestrel_vimora_board_BoardStuckLineTest_closeStuckLine(JNIEnv*, jclass) {
    delete gStuck;
    gStuck = nullptr;
}
