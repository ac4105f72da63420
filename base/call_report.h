/* Why this thread's last call into the library failed, and what it accepted
 * that its caller may not have meant: kept per thread, so that two threads
 * never see each other's reasons, and read back through the diagnostics
 * natives (jni/diagnostics_natives.cpp).
 *
 * A call that reports starts with a ReportedCall, which only clears the
 * record: nothing is composed unless the call fails or notes something.
 * The texts live in fixed per-thread buffers of plain bytes, never in the
 * library's private C++ runtime's heap, so nothing of it is owned across the
 * library's boundary and no thread exit runs code of the library. */
#ifndef BASE_CALL_REPORT_H
#define BASE_CALL_REPORT_H

#include <stddef.h>

/* The longest failure text kept, in bytes (a board link's text alone may
 * hold 1024), and the notes kept per call. Longer texts are cut on a UTF-8
 * character boundary. */
const size_t kReportFailureBytes = 1600;
const size_t kReportNoteBytes = 240;
const size_t kReportNotes = 4;

/* Clears this thread's record for a call that starts. */
void ReportStart();

/* Records why the call failed (printf-style), unless a reason was recorded
 * already: the step that fails first knows the most, the callers it
 * returns through only add a reason where none was given. */
void ReportFailure(const char* format, ...) __attribute__((format(printf, 1, 2)));

/* Records one note (printf-style); notes beyond kReportNotes are dropped. */
void ReportNote(const char* format, ...) __attribute__((format(printf, 1, 2)));

/* The reason of this thread's last failed call, or null when it succeeded
 * (or none was recorded). Valid until this thread's next report. */
const char* ReportedFailure();

/* The notes of this thread's last call. */
size_t ReportedNoteCount();
const char* ReportedNote(size_t index);

/* One reported call: clears the record when it starts. A call left by an
 * exception (the entry guard turns it into the failure result) that
 * recorded no reason says that the library ran out of memory, the only
 * exception its code raises. */
class ReportedCall {
public:
    ReportedCall();
    ~ReportedCall();
    ReportedCall(const ReportedCall&) = delete;
    ReportedCall& operator=(const ReportedCall&) = delete;

private:
    int m_uncaught;
};

#endif
