/* The bin file calls' reasons in plain words. Nothing here runs on a
 * successful call but the two note checks, which compare and return. */
#include "panel/java/call_reasons.h"

#include <string.h>

#include "base/call_report.h"
#include "jni/support/jni_ref.h"
#include "jni/support/pending_exception.h"

namespace {

/* The JVM's text of the exception a failed call left pending. */
struct ExceptionText {
    char text[512];
    bool present;
    explicit ExceptionText(JNIEnv* env) : present(PendingExceptionText(env, text, sizeof text)) {}
};

/* Faults of the file as a whole, whose texts name the file already. */
bool NamesFile(BinFault fault) {
    return fault == BinFault::kOpen || fault == BinFault::kRead || fault == BinFault::kNotRegular ||
           fault == BinFault::kNoMemory || fault == BinFault::kWrite;
}

}  // namespace

void ReportUnconvertedText(const char* method, const char* argument, jstring value) {
    if (value == nullptr) return ReportNullArgument(method, argument);
    ReportFailure("%s: %s could not be converted to the JVM's default charset", method, argument);
}

void ReportUnconvertedFileName(const char* method, const char* argument, jstring value) {
    if (value == nullptr) return ReportNullArgument(method, argument);
    ReportFailure("%s: %s names no file here: it holds a zero character or one that the file "
                  "name encoding (sun.jnu.encoding) cannot represent",
                  method, argument);
}

void ReportNullArgument(const char* method, const char* argument) {
    ReportFailure("%s: %s is null", method, argument);
}

void ReportObjectFailed(JNIEnv* env, const char* method, const char* argument) {
    ExceptionText exception(env);
    if (exception.present)
        ReportFailure("%s: %s could not be converted: %s", method, argument, exception.text);
    else
        ReportFailure("%s: %s could not be converted", method, argument);
}

void ReportReadFault(const char* method, const char* path, const BinStatus& status,
                     const char* chipSeries, jint index) {
    if (status.fault == BinFault::kNoPanel && index < 0)
        return ReportFailure("%s: panelIndex %d is negative: panels are numbered from 0", method,
                             static_cast<int>(index));
    if (status.fault == BinFault::kNoPanel)
        return ReportFailure("%s: %s holds no panel %d (%s)", method, path,
                             static_cast<int>(index), status.text);
    if (status.fault == BinFault::kPanelSize)
        return ReportFailure("%s: %s: %s: the file was made for another chip series than \"%s\"",
                             method, path, status.text, chipSeries);
    if (NamesFile(status.fault)) return ReportFailure("%s: %s", method, status.text);
    ReportFailure("%s: %s is not a sound panel bin file: %s", method, path, status.text);
}

void ReportPanelsFailed(JNIEnv* env, jobjectArray panels, KS_U32 converted,
                        const BinStatus& status) {
    if (status.fault == BinFault::kTooManyPanels) {
        const jsize given = env->ExceptionCheck() == JNI_TRUE ? 0 : env->GetArrayLength(panels);
        return ReportFailure("makePanelBin: %d panels given: %s", static_cast<int>(given),
                             status.text);
    }
    if (!status.ok()) return ReportFailure("makePanelBin: %s", status.text);
    const jsize at = converted > 0 ? static_cast<jsize>(converted - 1) : 0;
    ExceptionText exception(env);
    if (exception.present)
        return ReportFailure("makePanelBin: panel %d (dataParamArray[%d]) could not be converted: %s",
                             static_cast<int>(at), static_cast<int>(at), exception.text);
    LocalRef<jobject> element(env, env->GetObjectArrayElement(panels, at));
    if (env->ExceptionCheck() == JNI_TRUE)
        return ReportFailure("makePanelBin: dataParamArray[%d] could not be read", static_cast<int>(at));
    if (!element)
        return ReportFailure("makePanelBin: dataParamArray[%d] is null", static_cast<int>(at));
    ReportFailure("makePanelBin: panel %d (dataParamArray[%d]) could not be converted",
                  static_cast<int>(at), static_cast<int>(at));
}

void ReportWriteFault(const char* path, const BinStatus& status) {
    if (status.fault == BinFault::kWrite)
        return ReportFailure("makePanelBin: %s; nothing was written, %s is as it was", status.text,
                             path);
    ReportFailure("makePanelBin: %s", status.text);
}

bool IsKnownChipSeries(const char* chipSeries) {
    return strcmp(chipSeries, "R120") == 0 || strcmp(chipSeries, "R100") == 0;
}

void NoteChipSeries(const char* chipSeries) {
    if (IsKnownChipSeries(chipSeries)) return;
    ReportNote("chip series \"%s\" is neither \"R120\" nor \"R100\": it was taken as R100, as "
               "every chip series but \"R120\" is",
               chipSeries);
}

void NoteHeaderTotal(KS_U32 headerTotal, KS_U32 given) {
    if (headerTotal == given) return;
    ReportNote("the header's u32TotalNum says %u panels, but %u were given; the file holds %u",
               static_cast<unsigned>(headerTotal), static_cast<unsigned>(given),
               static_cast<unsigned>(given));
}
