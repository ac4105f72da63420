/* One panel's info record to and from a live board.
 *
 * Only the panel info record travels: the request data is a 32-bit panel
 * sub-command followed, for a write, by the record image. The link itself
 * (framing, transports, the process-wide lock) lives in comm/. */
#include "board/panel_transfer.h"

#include <string.h>

#include <string>

#include "comm/Communication_c.h"
#include "com_kestrel_vimora_jni_JNIMakeBin.h"
#include "db/ks_db.h"
#include "jni_ref.h"
#include "ks_unf_panel.h"
#include "panel/panel_mapping.h"

namespace {

const size_t kCmdSize = 4;

/* The sub-command goes first, little-endian, as the board reads it. */
void PutCmd(KS_U8* data, KS_U32 cmd) {
    for (size_t i = 0; i < kCmdSize; ++i) data[i] = static_cast<KS_U8>(cmd >> (8 * i));
}

template <typename Body>
struct Generation;

template <>
struct Generation<KS_PANEL_DATA_BODY_S_R100> {
    static void ToBody(JNIEnv* env, jobject obj, KS_PANEL_DATA_BODY_S_R100* body) {
        setPanelParamToR100PanelDataBody(env, obj, body);
    }
    static void FromBody(JNIEnv* env, jobject obj, const KS_PANEL_DATA_BODY_S_R100& body) {
        getPanelParamFromR100PanelData(env, obj, body);
    }
};

template <>
struct Generation<KS_PANEL_DATA_BODY_S_R120> {
    static void ToBody(JNIEnv* env, jobject obj, KS_PANEL_DATA_BODY_S_R120* body) {
        setPanelParamToR120PanelDataBody(env, obj, body);
    }
    static void FromBody(JNIEnv* env, jobject obj, const KS_PANEL_DATA_BODY_S_R120& body) {
        getPanelParamFromR120PanelData(env, obj, body);
    }
};

/* A conversion that met a class without one of its fields leaves the JVM's
 * NoSuchFieldError pending: nothing may be sent then. */
template <typename Body>
KS_S32 Write(JNIEnv* env, jobject dataParam) {
    Body body;
    memset(&body, 0, sizeof body);
    Generation<Body>::ToBody(env, dataParam, &body);
    if (env->ExceptionCheck()) return -1;

    KS_U8 data[kCmdSize + sizeof body.stPanelInfo];
    PutCmd(data, PANEL_CMD_WRITE_INFO);
    memcpy(data + kCmdSize, &body.stPanelInfo, sizeof body.stPanelInfo);
    return WriteMSGWithoutCmd(data, static_cast<int>(sizeof data)) == 1 ? 0 : -1;
}

/* The reply lands in the body's panel info; everything after it stays zero,
 * so the fields kept outside the panel info read back as zero or empty. */
template <typename Body>
KS_S32 Read(JNIEnv* env, jobject dataParam) {
    Body body;
    memset(&body, 0, sizeof body);
    KS_U8 data[kCmdSize];
    PutCmd(data, PANEL_CMD_READ_INFO);
    if (ReadMSGWithoutCmd(data, static_cast<int>(sizeof data),
                          reinterpret_cast<KS_U8*>(&body.stPanelInfo),
                          static_cast<int>(sizeof body.stPanelInfo)) != 1)
        return -1;
    Generation<Body>::FromBody(env, dataParam, body);
    return env->ExceptionCheck() ? -1 : 0;
}

}  // namespace

KS_S32 startSerailConnection(JNIEnv* env, jobject jobj, jstring portName, jint timeout,
                             jint baudRate, jint dataBits, jint stopBits, jint parity,
                             jint flowControl) {
    (void)jobj;
    ConvertedText port(JStringToWindows(env, portName));
    if (port.get() == nullptr) return -1; /* nothing was started */
    /* The line is always 115200 8N1; the values are handed on as given. */
    if (StartUARTConnection(port.get(), timeout, static_cast<unsigned int>(baudRate),
                            static_cast<unsigned char>(dataBits & 0xFF),
                            static_cast<unsigned char>(stopBits & 0xFF),
                            static_cast<unsigned char>(parity & 0xFF),
                            static_cast<unsigned int>(flowControl)) != 1)
        return -1;
    PresetHeaderCmd(KS_MDBG_CMD_PANEL);
    return 0;
}

KS_S32 startNetConnection(JNIEnv* env, jobject jobj, jstring ip, jint port) {
    (void)jobj;
    ConvertedText address(JStringToWindows(env, ip));
    if (address.get() == nullptr) return -1;
    /* Narrowed to 16 bits, 65616 would quietly become port 80. */
    if (port < 0 || port > 0xFFFF) return -1;
    if (StartEthernetConnection(address.get(), port) != 1) return -1;
    PresetHeaderCmd(KS_MDBG_CMD_PANEL);
    return 0;
}

KS_S32 endConnection(JNIEnv* env, jobject jobj) {
    (void)env;
    (void)jobj;
    return EndConnection() == 1 ? 0 : -1;
}

KS_S32 writePanelDataToBoard(JNIEnv* env, jobject jobj, jobject dataParamObj,
                             jstring chipSeries) {
    (void)jobj;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (chip.get() == nullptr || dataParamObj == nullptr) return -1;
    KS_DB_SetMaxDBSize(chip.get());
    return IsR120ChipSeries(chip.get()) ? Write<KS_PANEL_DATA_BODY_S_R120>(env, dataParamObj)
                              : Write<KS_PANEL_DATA_BODY_S_R100>(env, dataParamObj);
}

KS_S32 readPanelDataFromBoard(JNIEnv* env, jobject jobj, jobject dataParam, jstring chipSeries) {
    (void)jobj;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (chip.get() == nullptr || dataParam == nullptr) return -1;
    KS_DB_SetMaxDBSize(chip.get());
    return IsR120ChipSeries(chip.get()) ? Read<KS_PANEL_DATA_BODY_S_R120>(env, dataParam)
                              : Read<KS_PANEL_DATA_BODY_S_R100>(env, dataParam);
}

jstring getStrError(JNIEnv* env, jobject jobj) {
    (void)jobj;
    std::string text;
    if (!GetStrErrCopy(text)) return nullptr;
    return CStr2Jstring(env, text.c_str());
}
