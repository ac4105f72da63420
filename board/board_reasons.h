/* The reasons and notes of the board calls, in plain words, for the
 * per-thread report (base/call_report.h): the argument or the step that
 * failed, then the link's own text, read through the one table of
 * board/link_failure.h. Each takes the call's result and composes nothing
 * when it succeeded but a note for a string argument that was null (the
 * call then did nothing although it returned 0). */
#ifndef BOARD_BOARD_REASONS_H
#define BOARD_BOARD_REASONS_H

#include <jni.h>

void ReportSerialStart(JNIEnv* env, jint result, jstring portName, jint timeout);
void ReportNetStart(JNIEnv* env, jint result, jstring ip, jint port);
void ReportEnd(jint result);
/* A panel write or read; `method` is the Java method's name, `step` what
 * it did on the link ("sending the panel to the board"). */
void ReportPanelTransfer(JNIEnv* env, const char* method, const char* step, jint result,
                         jobject dataParam, jstring chipSeries);

#endif
