/* The panel bin file writer and readers.
 *
 * The layout, the reading and the writing live in panel/binfile/; this
 * file moves the records between them and the Java objects. */
#include "panel/java/bin_operations.h"

#include "jni/support/jni_strings.h"
#include "base/call_report.h"
#include "base/entry_guard.h"
#include "jni/support/jni_ref.h"
#include "panel/binfile/bin_file.h"
#include "panel/binfile/image_builder.h"
#include "panel/model/field_table.h"
#include "panel/java/body_mapping.h"
#include "panel/java/call_reasons.h"
#include "panel/model/generation.h"
#include "panel/java/record_mapper.h"

namespace {

/* The Java methods' names, with which their failure reasons begin. */
const char kMake[] = "makePanelBin";
const char kReadHeader[] = "readBinHeader";
const char kReadBody[] = "readBinBody";

/* The image and how many panels it handed a record, so that a failure can
 * name the panel it stopped at. */
struct PanelSlots {
    BinImageBuilder image;
    KS_U32 handed = 0;
};

KS_U8* NextPanel(void* context) {
    PanelSlots* slots = static_cast<PanelSlots*>(context);
    ++slots->handed;
    return slots->image.AddPanel();
}

KS_S32 Make(JNIEnv* env, jobject headerParam, jobjectArray dataParamArray, jstring fileName,
            jstring chipSeries) {
    ReportedCall report;
    /* A call that wrote nothing must not look like success: an unusable
     * name or chip series is -1, as is every other failure. */
    ConvertedText file(JStringToFileName(env, fileName));
    if (!file) return ReportUnconvertedFileName(kMake, "fileName", fileName), -1;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (!chip) return ReportUnconvertedText(kMake, "chipSeries", chipSeries), -1;
    if (headerParam == nullptr) return ReportNullArgument(kMake, "headerParam"), -1;
    if (dataParamArray == nullptr) return ReportNullArgument(kMake, "dataParamArray"), -1;

    KS_PANEL_HEADER_S header;
    if (!RecordMapper(env, PanelHeaderLayout()).ToRecord(headerParam, &header))
        return ReportObjectFailed(env, kMake, "headerParam"), -1;
    /* Every panel goes straight into its record inside the image, in array
     * order; the first that cannot be converted (the JVM's exception then
     * pending) or does not fit fails the whole call. */
    const PanelGeneration generation = GenerationOf(chip.get());
    PanelSlots slots;
    BinImageBuilder& image = slots.image;
    if (!image.Begin(header, generation)) return ReportWriteFault(file.get(), image.status()), -1;
    if (!RecordMapper(env, BodyLayoutOf(generation))
             .ArrayToZeroedRecords(dataParamArray, NextPanel, &slots))
        return ReportPanelsFailed(env, dataParamArray, slots.handed, image.status()), -1;
    NoteChipSeries(chip.get());
    NoteHeaderTotal(header.u32TotalNum, slots.handed);
    /* The file is touched only once the whole image stands, and then
     * replaced whole or not at all. */
    if (!image.WriteTo(file.get())) return ReportWriteFault(file.get(), image.status()), -1;
    return 0;
}

jobject ReadHeader(JNIEnv* env, jobject headerParam, jstring fileName, jstring chipSeries) {
    ReportedCall report;
    ConvertedText file(JStringToFileName(env, fileName));
    if (!file) return ReportUnconvertedFileName(kReadHeader, "fileName", fileName), nullptr;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (!chip) return ReportUnconvertedText(kReadHeader, "chipSeries", chipSeries), nullptr;
    if (headerParam == nullptr) return ReportNullArgument(kReadHeader, "headerParam"), nullptr;

    KS_DB_SetMaxDBSize(chip.get());
    NoteChipSeries(chip.get());
    BinFileReader reader;
    KS_PANEL_HEADER_S header;
    if (!reader.Open(file.get(), GenerationOf(chip.get())) || !reader.ReadHeader(&header))
        return ReportReadFault(kReadHeader, file.get(), reader.status(), chip.get(), -1), nullptr;
    if (!RecordMapper(env, PanelHeaderLayout()).ToObject(&header, headerParam))
        return ReportObjectFailed(env, kReadHeader, "headerParam"), nullptr;
    return headerParam;
}

jobject ReadBody(JNIEnv* env, jobject dataParam, jint panelIndex, jstring fileName,
                 jstring chipSeries) {
    ReportedCall report;
    ConvertedText file(JStringToFileName(env, fileName));
    if (!file) return ReportUnconvertedFileName(kReadBody, "fileName", fileName), nullptr;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (!chip) return ReportUnconvertedText(kReadBody, "chipSeries", chipSeries), nullptr;
    if (dataParam == nullptr) return ReportNullArgument(kReadBody, "dataParam"), nullptr;

    KS_DB_SetMaxDBSize(chip.get());
    NoteChipSeries(chip.get());
    const PanelGeneration generation = GenerationOf(chip.get());
    BinFileReader reader;
    AnyPanelBody body;
    /* The value must be a body of the chip series' generation: a file read
     * as the other one would otherwise yield a panel made of neighbouring
     * records. */
    if (!reader.Open(file.get(), generation) || !reader.ReadPanel(panelIndex, &body))
        return ReportReadFault(kReadBody, file.get(), reader.status(), chip.get(), panelIndex),
               nullptr;
    if (!RecordMapper(env, BodyLayoutOf(generation)).ToObject(&body, dataParam))
        return ReportObjectFailed(env, kReadBody, "dataParam"), nullptr;
    return dataParam;
}

}  // namespace

KS_S32 MakePanelBin(JNIEnv* env, jobject jobj, jobject headerParam, jobjectArray dataParamArray,
                    jstring fileName, jstring chipSeries) {
    (void)jobj;
    return GuardedEntry<KS_S32>(
        -1, [&] { return Make(env, headerParam, dataParamArray, fileName, chipSeries); });
}

void GetPanelHeaderParam(JNIEnv* env, jobject headerParam, KS_PANEL_HEADER_S* stPanelHeader) {
    /* A failure leaves the JVM's exception pending or concerns a null
     * argument; the writer uses the mapper and sees it. */
    GuardedEntry([&] { RecordMapper(env, PanelHeaderLayout()).ToRecord(headerParam, stPanelHeader); });
}

jobject ReadPanelHeader(JNIEnv* env, jobject jobj, jobject headerParam, jstring fileName,
                        jstring chipSeries) {
    (void)jobj;
    return GuardedEntry<jobject>(
        nullptr, [&] { return ReadHeader(env, headerParam, fileName, chipSeries); });
}

jobject ReadPanelBody(JNIEnv* env, jobject jobj, jobject dataParam, jint panelIndex,
                      jstring fileName, jstring chipSeries) {
    (void)jobj;
    return GuardedEntry<jobject>(
        nullptr, [&] { return ReadBody(env, dataParam, panelIndex, fileName, chipSeries); });
}
