/* The reasons and notes of the bin file calls, in plain words, for the
 * per-thread report (base/call_report.h). Each is composed only when it is
 * called, on a failure or for a note; `method` is the Java method's name,
 * which every reason starts with. The board calls use the argument and
 * chip series reasons too. */
#ifndef PANEL_JAVA_CALL_REASONS_H
#define PANEL_JAVA_CALL_REASONS_H

#include <jni.h>

#include "include/ks_type.h"
#include "panel/binfile/format.h"

/* A string argument that did not convert: null, or (the conversion's own
 * exception described and cleared) a text the JVM could not encode. */
void ReportUnconvertedText(const char* method, const char* argument, jstring value);
/* The same for a file name, which also fails for a zero character or a
 * character the file name encoding cannot represent. */
void ReportUnconvertedFileName(const char* method, const char* argument, jstring value);
void ReportNullArgument(const char* method, const char* argument);

/* A Java object that could not be read or filled: the JVM's exception
 * (left pending) names why, where there is one. */
void ReportObjectFailed(JNIEnv* env, const char* method, const char* argument);

/* A bin file that could not be read as asked; `index` is the panel asked
 * for, or negative for the header. */
void ReportReadFault(const char* method, const char* path, const BinStatus& status,
                     const char* chipSeries, jint index);
/* makePanelBin's panels: `converted` panels were handed a record, the last
 * of which failed, or `status` says why the image took no more. */
void ReportPanelsFailed(JNIEnv* env, jobjectArray panels, KS_U32 converted,
                        const BinStatus& status);
/* An image that could not be begun or written. */
void ReportWriteFault(const char* path, const BinStatus& status);

/* "R120" or "R100": the two chip series, each of its own layout. */
bool IsKnownChipSeries(const char* chipSeries);
/* Notes a chip series that is neither "R120" nor "R100": it is read as
 * R100, which the caller may not have meant. */
void NoteChipSeries(const char* chipSeries);
/* Notes a header whose panel total differs from the panels given. */
void NoteHeaderTotal(KS_U32 headerTotal, KS_U32 given);

#endif
