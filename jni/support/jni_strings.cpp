/* String conversion between Java and zero-terminated bytes (texts in the
 * default charset, file names as the JVM encodes its own), and the small
 * C-library shims the bin file code uses. */
#include "jni/support/jni_strings.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "base/entry_guard.h"
#include "jni/support/jni_ref.h"
#include "jni/support/jvm_charsets.h"
#include "jni/support/speedup_ascii_strings.h"

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

/* A malloc'ed, terminated copy of the array's bytes; NULL for one that
 * holds a zero byte, which would silently cut the text:
 * "dir/a\0b" must not become the file "dir/a". */
char* CopyOut(JNIEnv* env, jbyteArray bytes) {
    jsize n = env->GetArrayLength(bytes);
    char* out = static_cast<char*>(malloc(static_cast<size_t>(n) + 1));
    if (out == nullptr) return nullptr;
    env->GetByteArrayRegion(bytes, 0, n, reinterpret_cast<jbyte*>(out));
    out[n] = '\0';
    if (memchr(out, '\0', static_cast<size_t>(n)) == nullptr) return out;
    free(out);
    return nullptr;
}

/* The bytes of jstr in the JVM's default charset, malloc'ed and terminated. */
char* ConvertToBytes(JNIEnv* env, jstring jstr) {
    if (DropPendingException(env) || jstr == nullptr) return nullptr;
    if (env->EnsureLocalCapacity(4) < 0) return nullptr;
    bool done = false;
    char* ascii = AsciiBytesIfKept(env, jstr, JvmCharset::kDefault, &done);
    if (done) return ascii;

    /* String.getBytes() encodes in the JVM's default charset, the charset
     * of the texts (chip series, addresses); file names go through
     * JStringToFileName instead. */
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass) return nullptr;
    jmethodID getBytes = env->GetMethodID(stringClass.get(), "getBytes", "()[B");
    if (getBytes == nullptr) return nullptr;
    LocalRef<jbyteArray> bytes(env,
                               static_cast<jbyteArray>(env->CallObjectMethod(jstr, getBytes)));
    /* An exception raised by getBytes stays pending: Java sees it on return. */
    if (env->ExceptionCheck() || !bytes) return nullptr;

    return CopyOut(env, bytes.get());
}

/* charset.newEncoder().encode(CharBuffer.wrap(jstr)): a new encoder
 * reports malformed input (a lone surrogate) and unmappable characters
 * with a CharacterCodingException instead of putting '?' in their place,
 * so that two names never become one. */
jobject EncodeName(JNIEnv* env, jstring jstr) {
    LocalRef<jclass> charsetClass(env, env->FindClass("java/nio/charset/Charset"));
    if (!charsetClass) return nullptr;
    LocalRef<jobject> charset(env, FileNameCharset(env, charsetClass.get()));
    if (env->ExceptionCheck() || !charset) return nullptr;
    jmethodID newEncoder =
        env->GetMethodID(charsetClass.get(), "newEncoder", "()Ljava/nio/charset/CharsetEncoder;");
    if (newEncoder == nullptr) return nullptr;
    LocalRef<jobject> encoder(env, env->CallObjectMethod(charset.get(), newEncoder));
    if (env->ExceptionCheck() || !encoder) return nullptr;

    LocalRef<jclass> charBuffer(env, env->FindClass("java/nio/CharBuffer"));
    if (!charBuffer) return nullptr;
    jmethodID wrap = env->GetStaticMethodID(charBuffer.get(), "wrap",
                                            "(Ljava/lang/CharSequence;)Ljava/nio/CharBuffer;");
    if (wrap == nullptr) return nullptr;
    LocalRef<jobject> chars(env, env->CallStaticObjectMethod(charBuffer.get(), wrap, jstr));
    if (env->ExceptionCheck() || !chars) return nullptr;

    LocalRef<jclass> encoderClass(env, env->FindClass("java/nio/charset/CharsetEncoder"));
    if (!encoderClass) return nullptr;
    jmethodID encode =
        env->GetMethodID(encoderClass.get(), "encode", "(Ljava/nio/CharBuffer;)Ljava/nio/ByteBuffer;");
    if (encode == nullptr) return nullptr;
    return env->CallObjectMethod(encoder.get(), encode, chars.get());
}

/* The encoded bytes of a file name, or NULL with the conversion's own
 * exception (if any) still pending. */
char* FileNameBytes(JNIEnv* env, jstring jstr) {
    LocalRef<jobject> encoded(env, EncodeName(env, jstr));
    if (env->ExceptionCheck() || !encoded) return nullptr;
    LocalRef<jclass> byteBuffer(env, env->FindClass("java/nio/ByteBuffer"));
    if (!byteBuffer) return nullptr;
    jmethodID remaining = env->GetMethodID(byteBuffer.get(), "remaining", "()I");
    jmethodID get = env->GetMethodID(byteBuffer.get(), "get", "([B)Ljava/nio/ByteBuffer;");
    if (remaining == nullptr || get == nullptr) return nullptr;
    jint n = env->CallIntMethod(encoded.get(), remaining);
    if (env->ExceptionCheck() || n < 0) return nullptr;
    LocalRef<jbyteArray> bytes(env, env->NewByteArray(n));
    if (!bytes) return nullptr;
    LocalRef<jobject> same(env, env->CallObjectMethod(encoded.get(), get, bytes.get()));
    if (env->ExceptionCheck()) return nullptr;
    return CopyOut(env, bytes.get());
}

/* The caller's pending exception is described and dropped, as for texts;
 * one raised by the conversion itself (an unmappable name, an unknown
 * charset, no memory) is cleared: the name is refused by the result. */
char* ConvertFileName(JNIEnv* env, jstring jstr) {
    if (DropPendingException(env) || jstr == nullptr) return nullptr;
    if (env->EnsureLocalCapacity(16) < 0) {
        env->ExceptionClear();
        return nullptr;
    }
    bool done = false;
    char* ascii = AsciiBytesIfKept(env, jstr, JvmCharset::kFileNames, &done);
    if (done) return ascii;
    char* out = FileNameBytes(env, jstr);
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
        free(out);
        return nullptr;
    }
    return out;
}

}  // namespace

char* JStringToWindows(JNIEnv* pJNIEnv, jstring jstr) {
    return GuardedEntry(static_cast<char*>(nullptr), [=] { return ConvertToBytes(pJNIEnv, jstr); });
}

char* JStringToFileName(JNIEnv* env, jstring jstr) {
    return GuardedEntry(static_cast<char*>(nullptr), [=] { return ConvertFileName(env, jstr); });
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
