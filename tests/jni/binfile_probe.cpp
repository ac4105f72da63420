// Natives of BinFileProbe: the bin file operations called with any object,
// so tests can hand over classes that lack a field or have another type,
// and control of the file size limit for the half-way write failure.
#include <jni.h>
#include <sys/resource.h>

#include "panel/java/bin_operations.h"

extern "C" {

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
