/* String conversion between Java and zero-terminated bytes, and the small
 * C-library shims the bin file code uses. */
#include "jni/support/jni_strings.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "base/entry_guard.h"
#include "jni/support/jni_ref.h"

namespace {

/* JNI forbids most calls while an exception is pending; the caller's
 * exception is reported on stderr and dropped, as the string was unusable. */
bool DropPendingException(JNIEnv* env) {
    if (!env->ExceptionCheck()) return false;
    env->ExceptionDescribe();
    env->ExceptionClear();
    return true;
}

/* new String(bytes, charsetName): the charset is named rather than taken
 * from the platform so that board texts decode the same everywhere. */
jstring NewStringFromBytes(JNIEnv* env, const char* text, const char* charsetName) {
    if (DropPendingException(env) || text == nullptr) return nullptr;
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass) return nullptr;
    jmethodID ctor = env->GetMethodID(stringClass.get(), "<init>", "([BLjava/lang/String;)V");
    if (ctor == nullptr) return nullptr;
    size_t length = strlen(text);
    if (length > 0x7FFFFFFF) return nullptr;
    jsize n = static_cast<jsize>(length);
    LocalRef<jbyteArray> bytes(env, env->NewByteArray(n));
    if (!bytes) return nullptr;
    env->SetByteArrayRegion(bytes.get(), 0, n, reinterpret_cast<const jbyte*>(text));
    LocalRef<jstring> charset(env, env->NewStringUTF(charsetName));
    if (!charset) return nullptr;
    jobject result = env->NewObject(stringClass.get(), ctor, bytes.get(), charset.get());
    if (env->ExceptionCheck()) {
        if (result != nullptr) env->DeleteLocalRef(result);
        return nullptr;
    }
    return static_cast<jstring>(result);
}

/* The bytes of jstr in the JVM's default charset, malloc'ed and terminated. */
char* ConvertToBytes(JNIEnv* env, jstring jstr) {
    if (DropPendingException(env) || jstr == nullptr) return nullptr;
    if (env->EnsureLocalCapacity(2) < 0) return nullptr;

    /* String.getBytes() encodes in the JVM's default charset, which is how
     * the host application's file names reach the file system. */
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass) return nullptr;
    jmethodID getBytes = env->GetMethodID(stringClass.get(), "getBytes", "()[B");
    if (getBytes == nullptr) return nullptr;
    LocalRef<jbyteArray> bytes(env,
                               static_cast<jbyteArray>(env->CallObjectMethod(jstr, getBytes)));
    /* An exception raised by getBytes stays pending: Java sees it on return. */
    if (env->ExceptionCheck() || !bytes) return nullptr;

    jsize n = env->GetArrayLength(bytes.get());
    char* out = static_cast<char*>(malloc(static_cast<size_t>(n) + 1));
    if (out == nullptr) return nullptr;
    env->GetByteArrayRegion(bytes.get(), 0, n, reinterpret_cast<jbyte*>(out));
    out[n] = '\0';
    /* A zero byte inside would silently cut the text: "dir/a\0b" must not
     * become the file "dir/a". */
    if (memchr(out, '\0', static_cast<size_t>(n)) != nullptr) {
        free(out);
        return nullptr;
    }
    return out;
}

}  // namespace

char* JStringToWindows(JNIEnv* pJNIEnv, jstring jstr) {
    return GuardedEntry(static_cast<char*>(nullptr), [=] { return ConvertToBytes(pJNIEnv, jstr); });
}

jstring CStr2Jstring(JNIEnv* env, const char* pat) {
    return GuardedEntry(static_cast<jstring>(nullptr),
                        [=] { return NewStringFromBytes(env, pat, "UTF-8"); });
}

jstring WindowsTojstring(JNIEnv* env, char* str) {
    return GuardedEntry(static_cast<jstring>(nullptr),
                        [=] { return NewStringFromBytes(env, str, "UTF8"); });
}

int fopen_s(FILE** _f, const char* _fileName, const char* _mode) {
    if (_f == nullptr) return EINVAL;
    *_f = fopen(_fileName, _mode);
    return 0;
}

char* strtok_s(char* _Str, const char* _Delim, char** _Context) {
    /* With a context the re-entrant form keeps concurrent callers apart. */
    if (_Context != nullptr) return strtok_r(_Str, _Delim, _Context);
    return strtok(_Str, _Delim);
}

KS_U32 getFileLength(const char* path) {
    struct stat st;
    if (path == nullptr || stat(path, &st) != 0) return 0xFFFFFFFFu;
    return static_cast<KS_U32>(st.st_size);
}
