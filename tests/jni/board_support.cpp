// Natives of BoardTransferTest: reach the board write and read with objects of any
// class, which the Java signature of JNIMakeBin would not allow.
#include <fcntl.h>
#include <jni.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "board/panel_transfer.h"

extern "C" JNIEXPORT jint JNICALL Java_com_kestrel_vimora_board_BoardTransferTest_writeAny(
    JNIEnv* env, jclass, jobject dataParam, jstring chipSeries) {
    return writePanelDataToBoard(env, nullptr, dataParam, chipSeries);
}

extern "C" JNIEXPORT jint JNICALL Java_com_kestrel_vimora_board_BoardTransferTest_readAny(
    JNIEnv* env, jclass, jobject dataParam, jstring chipSeries) {
    return readPanelDataFromBoard(env, nullptr, dataParam, chipSeries);
}

// Natives of BoardStuckLineTest: a pseudo-terminal whose far end reads the
// start text and the first header, then suspends the line's output, as
// stuck flow control does, and answers 0xA0. From then on no byte the
// library writes can leave.
namespace {

struct StuckLine {
    int master = -1;
    int slave = -1;
    std::thread peer;
};

StuckLine gStuck;

void AnswerTheFirstHeader(int master, int slave) {
    size_t wanted = 15 + 12;  // "kest_pq_tool.sh", then the header
    char buf[64];
    struct pollfd entry = {master, POLLIN, 0};
    while (wanted > 0 && poll(&entry, 1, 10000) == 1) {
        ssize_t n = read(master, buf, std::min(wanted, sizeof buf));
        if (n <= 0) return;
        wanted -= static_cast<size_t>(n);
    }
    const unsigned char accepted = 0xA0;
    if (wanted == 0 && tcflow(slave, TCOOFF) == 0) (void)!write(master, &accepted, 1);
}

}  // namespace

extern "C" JNIEXPORT jstring JNICALL
Java_com_kestrel_vimora_board_BoardStuckLineTest_openStuckLine(JNIEnv* env, jclass) {
    gStuck.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (gStuck.master == -1 || grantpt(gStuck.master) != 0 || unlockpt(gStuck.master) != 0)
        return nullptr;
    const char* path = ptsname(gStuck.master);
    if (path == nullptr) return nullptr;
    gStuck.slave = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (gStuck.slave == -1) return nullptr;
    gStuck.peer = std::thread(AnswerTheFirstHeader, gStuck.master, gStuck.slave);
    return env->NewStringUTF(path);
}

// Hangs the line up: whatever still waits on it fails at once.
extern "C" JNIEXPORT void JNICALL
Java_com_kestrel_vimora_board_BoardStuckLineTest_closeStuckLine(JNIEnv*, jclass) {
    if (gStuck.peer.joinable()) gStuck.peer.join();
    if (gStuck.slave != -1) close(gStuck.slave);
    if (gStuck.master != -1) close(gStuck.master);
    gStuck = StuckLine();
}
