// Natives of BinFileProbe: the bin file operations called with any object,
// so tests can hand over classes that lack a field or have another type,
// a count of the bulk helper's calls, and control of the file size limit
// for the half-way write failure.
#include <jni.h>
#include <stdarg.h>
#include <sys/resource.h>

#include "panel/java/bin_operations.h"

namespace {

// The JVM's own function table while a counted call runs, and the calls of
// static int methods made through it: the bulk helper's gather is one, and
// the one-by-one JNI path makes none.
thread_local const JNINativeInterface_* gReal;
thread_local int gStaticIntCalls;

jint CountedCallStaticIntMethodV(JNIEnv* env, jclass cls, jmethodID method, va_list args) {
    ++gStaticIntCalls;
    return gReal->CallStaticIntMethodV(env, cls, method, args);
}

jint CountedCallStaticIntMethod(JNIEnv* env, jclass cls, jmethodID method, ...) {
    va_list args;
    va_start(args, method);
    jint result = CountedCallStaticIntMethodV(env, cls, method, args);
    va_end(args);
    return result;
}

jint CountedCallStaticIntMethodA(JNIEnv* env, jclass cls, jmethodID method, const jvalue* args) {
    ++gStaticIntCalls;
    return gReal->CallStaticIntMethodA(env, cls, method, args);
}

}  // namespace

extern "C" {

// makePanelBin with a copy of the thread's JNI function table in front of
// the JVM's, counting the static int method calls; -1 when the call failed.
JNIEXPORT jint JNICALL Java_com_kestrel_vimora_BinFileProbe_gathersOfMakePanelBin(
    JNIEnv* env, jclass, jobject header, jobjectArray panels, jstring file, jstring chip) {
    JNINativeInterface_ counted = *env->functions;
    counted.CallStaticIntMethod = CountedCallStaticIntMethod;
    counted.CallStaticIntMethodV = CountedCallStaticIntMethodV;
    counted.CallStaticIntMethodA = CountedCallStaticIntMethodA;
    gReal = env->functions;
    gStaticIntCalls = 0;
    env->functions = &counted;
    jint made = MakePanelBin(env, nullptr, header, panels, file, chip);
    env->functions = gReal;
    return made == 0 ? gStaticIntCalls : -1;
}

JNIEXPORT jint JNICALL Java_com_kestrel_vimora_BinFileProbe_makePanelBin(
    JNIEnv* env, jclass, jobject header, jobjectArray panels, jstring file, jstring chip) {
    return MakePanelBin(env, nullptr, header, panels, file, chip);
}

JNIEXPORT jobject JNICALL Java_com_kestrel_vimora_BinFileProbe_readBinHeader(
    JNIEnv* env, jclass, jobject header, jstring file, jstring chip) {
    return ReadPanelHeader(env, nullptr, header, file, chip);
}

JNIEXPORT jobject JNICALL Java_com_kestrel_vimora_BinFileProbe_readBinBody(
    JNIEnv* env, jclass, jobject panel, jint index, jstring file, jstring chip) {
    return ReadPanelBody(env, nullptr, panel, index, file, chip);
}

// The soft file size limit in bytes, -1 for none.
JNIEXPORT jlong JNICALL Java_com_kestrel_vimora_BinFileProbe_fileSizeLimit(JNIEnv*, jclass) {
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return -2;
    return limit.rlim_cur == RLIM_INFINITY ? -1 : static_cast<jlong>(limit.rlim_cur);
}

JNIEXPORT jboolean JNICALL Java_com_kestrel_vimora_BinFileProbe_setFileSizeLimit(JNIEnv*, jclass,
                                                                                jlong bytes) {
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return JNI_FALSE;
    limit.rlim_cur = bytes < 0 ? RLIM_INFINITY : static_cast<rlim_t>(bytes);
    return setrlimit(RLIMIT_FSIZE, &limit) == 0 ? JNI_TRUE : JNI_FALSE;
}

}  // extern "C"
