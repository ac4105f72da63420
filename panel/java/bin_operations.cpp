/* The panel bin file writer and readers.
 *
 * The layout, the reading and the checks live in panel/bin_file*.cpp; this
 * file moves the records between them and the Java objects. */
#include "panel/java/bin_operations.h"

#include "jni/support/jni_strings.h"
#include "base/entry_guard.h"
#include "jni/support/jni_ref.h"
#include "panel/binfile/bin_file.h"
#include "panel/binfile/image_builder.h"
#include "panel/model/field_table.h"
#include "panel/java/body_mapping.h"
#include "panel/model/generation.h"
#include "panel/java/record_mapper.h"

namespace {

KS_U8* NextPanel(void* image) { return static_cast<BinImageBuilder*>(image)->AddPanel(); }

KS_S32 Make(JNIEnv* env, jobject headerParam, jobjectArray dataParamArray, jstring fileName,
            jstring chipSeries) {
    /* A call that wrote nothing must not look like success: an unusable
     * name or chip series is -1, as is every other failure. */
    ConvertedText file(JStringToFileName(env, fileName));
    if (!file) return -1;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (!chip || headerParam == nullptr || dataParamArray == nullptr) return -1;

    KS_PANEL_HEADER_S header;
    if (!RecordMapper(env, PanelHeaderLayout()).ToRecord(headerParam, &header)) return -1;
    /* Every panel goes straight into its record inside the image, in array
     * order; the first that cannot be converted (the JVM's exception then
     * pending) or does not fit fails the whole call. */
    BinImageBuilder image;
    if (!image.Begin(header, GenerationOf(chip.get())) ||
        !RecordMapper(env, BodyLayoutOf(GenerationOf(chip.get())))
             .ArrayToZeroedRecords(dataParamArray, NextPanel, &image))
        return -1;
    /* The file is touched only once the whole image stands, and then
     * replaced whole or not at all. */
    return image.WriteTo(file.get()) ? 0 : -1;
}

jobject ReadHeader(JNIEnv* env, jobject headerParam, jstring fileName, jstring chipSeries) {
    ConvertedText file(JStringToFileName(env, fileName));
    if (!file) return nullptr;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (!chip || headerParam == nullptr) return nullptr;

    KS_DB_SetMaxDBSize(chip.get());
    BinFileReader reader;
    KS_PANEL_HEADER_S header;
    if (!reader.Open(file.get(), GenerationOf(chip.get())) || !reader.ReadHeader(&header) ||
        !RecordMapper(env, PanelHeaderLayout()).ToObject(&header, headerParam))
        return nullptr;
    return headerParam;
}

jobject ReadBody(JNIEnv* env, jobject dataParam, jint panelIndex, jstring fileName,
                 jstring chipSeries) {
    ConvertedText file(JStringToFileName(env, fileName));
    if (!file) return nullptr;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (!chip || dataParam == nullptr) return nullptr;

    KS_DB_SetMaxDBSize(chip.get());
    BinFileReader reader;
    AnyPanelBody body;
    /* The value must be a body of the chip series' generation: a file read
     * as the other one would otherwise yield a panel made of neighbouring
     * records. */
    if (!reader.Open(file.get(), GenerationOf(chip.get())) || !reader.ReadPanel(panelIndex, &body) ||
        !RecordMapper(env, BodyLayoutOf(GenerationOf(chip.get()))).ToObject(&body, dataParam))
        return nullptr;
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
