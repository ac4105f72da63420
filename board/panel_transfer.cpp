/* One panel's info record to and from a live board, for Java.
 *
 * Only the panel info record travels: the request data is a 32-bit panel
 * sub-command followed, for a write, by the record image (built in
 * board/panel_exchange.cpp, which the tools share). The link itself
 * (framing, transports, the process-wide lock) lives in comm/.
 *
 * Every function here is an entry point of the library: none lets an
 * exception out, each turns one into its failure result. */
#include "board/panel_transfer.h"

#include <string>

#include "board/panel_exchange.h"
#include "include/Communication_c.h"
#include "comm/link_access.h"
#include "jni/support/jni_strings.h"
#include "include/ks_db.h"
#include "base/entry_guard.h"
#include "jni/support/jni_ref.h"
#include "include/ks_unf_panel.h"
#include "panel/java/body_mapping.h"
#include "panel/model/generation.h"
#include "panel/java/record_mapper.h"

namespace {

/* What a generation sends: its body layout and its place in the exchange. */
struct Generation {
    const RecordLayout& layout;
    PanelGeneration generation;
};

Generation GenerationFor(const char* chipSeries) {
    const PanelGeneration generation = GenerationOf(chipSeries);
    return {BodyLayoutOf(generation), generation};
}

/* Nothing is sent unless the whole object converted: a class without one
 * of the fields leaves the JVM's NoSuchFieldError pending. */
KS_S32 Write(JNIEnv* env, jobject dataParam, const Generation& generation) {
    AnyPanelBody body;
    if (!RecordMapper(env, generation.layout).ToRecord(dataParam, &body)) return -1;
    return SendPanelInfo(generation.generation, &body) ? 0 : -1;
}

/* The reply lands in the body's panel info; everything after it stays zero,
 * so the fields kept outside the panel info read back as zero or empty. The
 * object is filled only when the whole exchange succeeded, and then either
 * completely or not at all. */
KS_S32 Read(JNIEnv* env, jobject dataParam, const Generation& generation) {
    AnyPanelBody body;
    if (!FetchPanelInfo(generation.generation, &body)) return -1;
    return RecordMapper(env, generation.layout).ToObject(&body, dataParam) ? 0 : -1;
}

}  // namespace

KS_S32 startSerailConnection(JNIEnv* env, jobject jobj, jstring portName, jint timeout,
                             jint baudRate, jint dataBits, jint stopBits, jint parity,
                             jint flowControl) {
    (void)jobj;
    return GuardedEntry(-1, [=] {
        /* A device path is a file name: encoded as Java's own File would. */
        ConvertedText port(JStringToFileName(env, portName));
        if (port.get() == nullptr) return -1; /* nothing was started */
        /* The line is always 115200 8N1; the values are handed on as given. */
        return StartPanelLinkSerial(port.get(), timeout, static_cast<unsigned int>(baudRate),
                                    static_cast<unsigned char>(dataBits & 0xFF),
                                    static_cast<unsigned char>(stopBits & 0xFF),
                                    static_cast<unsigned char>(parity & 0xFF),
                                    static_cast<unsigned int>(flowControl))
                   ? 0
                   : -1;
    });
}

KS_S32 startNetConnection(JNIEnv* env, jobject jobj, jstring ip, jint port) {
    (void)jobj;
    return GuardedEntry(-1, [=] {
        ConvertedText address(JStringToWindows(env, ip));
        if (address.get() == nullptr) return -1;
        return StartPanelLinkTcp(address.get(), port) ? 0 : -1;
    });
}

KS_S32 endConnection(JNIEnv* env, jobject jobj) {
    (void)env;
    (void)jobj;
    return GuardedEntry(-1, [] { return EndConnection() == 1 ? 0 : -1; });
}

KS_S32 writePanelDataToBoard(JNIEnv* env, jobject jobj, jobject dataParamObj,
                             jstring chipSeries) {
    (void)jobj;
    return GuardedEntry(-1, [=] {
        ConvertedText chip(JStringToWindows(env, chipSeries));
        if (chip.get() == nullptr || dataParamObj == nullptr) return -1;
        KS_DB_SetMaxDBSize(chip.get());
        return Write(env, dataParamObj, GenerationFor(chip.get()));
    });
}

KS_S32 readPanelDataFromBoard(JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries) {
    (void)jobj;
    return GuardedEntry(-1, [=] {
        ConvertedText chip(JStringToWindows(env, chipSeries));
        if (chip.get() == nullptr || dataParam == nullptr) return -1;
        KS_DB_SetMaxDBSize(chip.get());
        return Read(env, dataParam, GenerationFor(chip.get()));
    });
}

/* The text is copied, never waiting behind an exchange on the link. */
jstring getStrError(JNIEnv* env, jobject jobj) {
    (void)jobj;
    return GuardedEntry(static_cast<jstring>(nullptr), [env]() -> jstring {
        std::string text;
        if (!GetStrErrCopy(text)) return nullptr;
        return CStr2Jstring(env, text.c_str());
    });
}
