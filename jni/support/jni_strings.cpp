/* String conversion between Java and zero-terminated bytes (texts in the
 * default charset, file names as the JVM encodes its own), and the small
 * C-library shims the bin file code uses. */
#include "jni/support/jni_strings.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <atomic>

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

/* Whether a charset, by its canonical name, encodes every character below
 * U+0080 as that one byte: then a string of such characters is its own
 * encoding, and needs no call into Java. */
bool KeepsAscii(const char* name) {
    return strcmp(name, "UTF-8") == 0 || strcmp(name, "US-ASCII") == 0 ||
           strncmp(name, "ISO-8859-", 9) == 0;
}

/* What is known of a charset the JVM fixes at its start: unknown yet, or
 * whether it keeps ASCII as it is. */
enum Verdict : int { kUnknown, kKeepsAscii, kOther };

/* The verdict on `charset` (a local reference, deleted here); kUnknown
 * when the JVM could not say, with its exception cleared. */
Verdict VerdictOn(JNIEnv* env, jobject charset) {
    LocalRef<jobject> owned(env, charset);
    if (env->ExceptionCheck() || !owned) {
        env->ExceptionClear();
        return kUnknown;
    }
    LocalRef<jclass> cls(env, env->GetObjectClass(owned.get()));
    jmethodID nameOf = cls ? env->GetMethodID(cls.get(), "name", "()Ljava/lang/String;") : nullptr;
    LocalRef<jstring> name(env, nameOf ? static_cast<jstring>(env->CallObjectMethod(owned.get(), nameOf))
                                       : nullptr);
    const char* chars = name && !env->ExceptionCheck() ? env->GetStringUTFChars(name.get(), nullptr)
                                                       : nullptr;
    if (chars == nullptr) {
        env->ExceptionClear();
        return kUnknown;
    }
    Verdict verdict = KeepsAscii(chars) ? kKeepsAscii : kOther;
    env->ReleaseStringUTFChars(name.get(), chars);
    return verdict;
}

/* The bytes of a string of characters in [1, 0x80) under a charset that
 * keeps ASCII, malloc'ed and terminated; NULL with *done false for any
 * other string, which goes the long way. A zero character makes the
 * result NULL with *done true: whatever the charset, the encoding holds a
 * zero byte there, which the long way refuses too. */
const jsize kLongestAsciiText = 4096;
char* AsciiBytes(JNIEnv* env, jstring jstr, bool* done) {
    *done = false;
    const jsize n = env->GetStringLength(jstr);
    if (n > kLongestAsciiText) return nullptr;
    jchar units[kLongestAsciiText];
    env->GetStringRegion(jstr, 0, n, units);
    for (jsize i = 0; i < n; ++i) {
        if (units[i] >= 0x80) return nullptr;
        if (units[i] == 0) {
            *done = true;
            return nullptr;
        }
    }
    char* out = static_cast<char*>(malloc(static_cast<size_t>(n) + 1));
    if (out == nullptr) return nullptr;
    for (jsize i = 0; i < n; ++i) out[i] = static_cast<char>(units[i]);
    out[n] = '\0';
    *done = true;
    return out;
}

/* Charset.defaultCharset(), as a new local reference. */
jobject DefaultCharset(JNIEnv* env, jclass charsetClass) {
    jmethodID defaultCharset =
        env->GetStaticMethodID(charsetClass, "defaultCharset", "()Ljava/nio/charset/Charset;");
    if (defaultCharset == nullptr) return nullptr;
    return env->CallStaticObjectMethod(charsetClass, defaultCharset);
}

jobject FileNameCharset(JNIEnv* env, jclass charsetClass);

/* The JVM fixes its default charset and the charset of its own file names
 * when it starts (java.nio keeps both in static finals, java.io's native
 * code decides once), so a verdict on either holds for the process. */
std::atomic<int> gDefaultVerdict{kUnknown};
std::atomic<int> gFileNameVerdict{kUnknown};

bool CharsetKeepsAscii(JNIEnv* env, std::atomic<int>* verdict, bool fileNames) {
    int known = verdict->load(std::memory_order_relaxed);
    if (known == kUnknown) {
        LocalRef<jclass> charsetClass(env, env->FindClass("java/nio/charset/Charset"));
        if (!charsetClass) {
            env->ExceptionClear();
            return false;
        }
        known = VerdictOn(env, fileNames ? FileNameCharset(env, charsetClass.get())
                                         : DefaultCharset(env, charsetClass.get()));
        if (known != kUnknown) verdict->store(known, std::memory_order_relaxed);
    }
    return known == kKeepsAscii;
}

/* The bytes of jstr in the JVM's default charset, malloc'ed and terminated. */
char* ConvertToBytes(JNIEnv* env, jstring jstr) {
    if (DropPendingException(env) || jstr == nullptr) return nullptr;
    if (env->EnsureLocalCapacity(4) < 0) return nullptr;
    bool done = false;
    if (CharsetKeepsAscii(env, &gDefaultVerdict, false)) {
        char* ascii = AsciiBytes(env, jstr, &done);
        if (done) return ascii;
    }

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

/* The charset of the JVM's own file names: java.io.File and java.nio
 * encode with "sun.jnu.encoding", which follows the locale and can differ
 * from the default charset (-Dfile.encoding, and since JDK 18 a default of
 * UTF-8 in any locale). */
jobject FileNameCharset(JNIEnv* env, jclass charsetClass) {
    LocalRef<jclass> system(env, env->FindClass("java/lang/System"));
    if (!system) return nullptr;
    jmethodID getProperty = env->GetStaticMethodID(system.get(), "getProperty",
                                                   "(Ljava/lang/String;)Ljava/lang/String;");
    if (getProperty == nullptr) return nullptr;
    LocalRef<jstring> key(env, env->NewStringUTF("sun.jnu.encoding"));
    if (!key) return nullptr;
    LocalRef<jobject> name(env, env->CallStaticObjectMethod(system.get(), getProperty, key.get()));
    if (env->ExceptionCheck()) return nullptr;
    if (!name) return DefaultCharset(env, charsetClass);
    /* A name the JVM does not know raises, and the file name is refused. */
    jmethodID forName = env->GetStaticMethodID(charsetClass, "forName",
                                               "(Ljava/lang/String;)Ljava/nio/charset/Charset;");
    if (forName == nullptr) return nullptr;
    return env->CallStaticObjectMethod(charsetClass, forName, name.get());
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
    if (CharsetKeepsAscii(env, &gFileNameVerdict, true)) {
        char* ascii = AsciiBytes(env, jstr, &done);
        if (done) return ascii;
    }
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
