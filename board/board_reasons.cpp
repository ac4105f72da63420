/* The board calls' reasons. The link keeps one text for the process, the
 * last failure of the transport in use, so a reason quotes it only where
 * the call reached the link; a call refused before that is described from
 * its arguments, or from the closed serial port, instead. */
#include "board/board_reasons.h"

#include <stdint.h>

#include <atomic>
#include <string>

#include "base/call_report.h"
#include "board/link_failure.h"
#include "comm/BoardAddress.h"
#include "comm/UART.h"
#include "comm/link_access.h"
#include "jni/support/jni_ref.h"
#include "jni/support/jni_strings.h"
#include "panel/java/call_reasons.h"

namespace {

const char kSerialStart[] = "startSerialConnection";
const char kNetStart[] = "startNetConnection";

/* Whether the last start from Java was a serial one: a request on a serial
 * link whose port is closed is refused without a text of its own, and the
 * link's text is then an earlier call's. Stored by every start, read only
 * by a failed request. */
std::atomic<bool> gSerialStarted{false};

/* "<method>: <target>: <plain words> (<step>; the link said: <text>)". */
void ReportLinkFailure(const char* method, const std::string& target, const char* step) {
    std::string text;
    if (!GetStrErrCopy(text))
        return ReportFailure("%s: no board link is started: call startNetConnection or "
                             "startSerialConnection first",
                             method);
    if (text.empty())
        return ReportFailure("%s: %s: %s failed; the board link gave no text", method,
                             target.c_str(), step);
    ReportFailure("%s: %s", method, DescribeLinkFailure(target, step, text).c_str());
}

/* The argument as text for a reason; empty where it cannot be had. */
std::string TextOf(JNIEnv* env, jstring value) {
    ConvertedText text(JStringToWindows(env, value));
    return text ? std::string(text.get()) : std::string();
}

/* A null string argument makes a call return 0 having done nothing. */
bool NotedNull(jstring value, const char* method, const char* argument) {
    if (value != nullptr) return false;
    ReportNote("%s: %s is null: nothing was done, although the call returned 0", method, argument);
    return true;
}

/* NoteChipSeries for a Java string, read whole only when it is not one of
 * the two four-letter chip series: a success costs two JNI calls. */
void NoteJavaChipSeries(JNIEnv* env, jstring chipSeries) {
    char head[16] = "";
    if (env->GetStringLength(chipSeries) == 4) {
        env->GetStringUTFRegion(chipSeries, 0, 4, head);
        if (env->ExceptionCheck() == JNI_TRUE) return;
        if (IsKnownChipSeries(head)) return;
    }
    NoteChipSeries(TextOf(env, chipSeries).c_str());
}

}  // namespace

void ReportSerialStart(JNIEnv* env, jint result, jstring portName, jint timeout) {
    /* The arguments the link refuses leave its kind as it was. */
    if (portName != nullptr && timeout > 0) gSerialStarted.store(true, std::memory_order_relaxed);
    if (result == 0) {
        NotedNull(portName, kSerialStart, "portName");
        return;
    }
    if (portName == nullptr) return ReportNullArgument(kSerialStart, "portName");
    if (timeout <= 0)
        return ReportFailure("%s: timeout %d ms: it must be above 0", kSerialStart,
                             static_cast<int>(timeout));
    ReportLinkFailure(kSerialStart, TextOf(env, portName), "opening the serial port");
}

void ReportNetStart(JNIEnv* env, jint result, jstring ip, jint port) {
    if (result == 0) {
        if (!NotedNull(ip, kNetStart, "ip")) gSerialStarted.store(false, std::memory_order_relaxed);
        return;
    }
    if (ip == nullptr) return ReportNullArgument(kNetStart, "ip");
    const std::string address = TextOf(env, ip);
    /* The link keeps the port as a signed 16-bit value. */
    if (static_cast<int16_t>(port) < 0)
        return ReportFailure("%s: port %d is out of range: the board link takes 0 to 32767",
                             kNetStart, static_cast<int>(port));
    if (!IsUsableBoardAddress(address.c_str()))
        return ReportFailure("%s: \"%s\" is not a dotted IPv4 address", kNetStart,
                             address.c_str());
    gSerialStarted.store(false, std::memory_order_relaxed);
    ReportLinkFailure(kNetStart, address + ":" + std::to_string(static_cast<int16_t>(port)),
                      "starting the network link");
}

void ReportEnd(jint result) {
    if (result == 0) return;
    ReportFailure("endConnection: no board link was ever started");
}

void ReportPanelTransfer(JNIEnv* env, const char* method, const char* step, jint result,
                         jobject dataParam, jstring chipSeries) {
    if (result == 0) {
        if (!NotedNull(chipSeries, method, "chipSeries")) NoteJavaChipSeries(env, chipSeries);
        return;
    }
    if (chipSeries == nullptr) return ReportNullArgument(method, "chipSeries");
    if (dataParam == nullptr) return ReportNullArgument(method, "dataParam");
    if (env->ExceptionCheck() == JNI_TRUE) return ReportObjectFailed(env, method, "dataParam");
    NoteJavaChipSeries(env, chipSeries);
    if (gSerialStarted.load(std::memory_order_relaxed) && !UART::IsOpen())
        return ReportFailure("%s: the serial port is not open (its start failed, or "
                             "endConnection closed it): nothing was sent",
                             method);
    ReportLinkFailure(method, "the board", step);
}
