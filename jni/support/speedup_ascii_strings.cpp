/* ASCII strings converted without calling into Java. */
#include "jni/support/speedup_ascii_strings.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>

#include "jni/support/jni_ref.h"
#include "jni/support/jvm_charsets.h"

namespace {

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

/* The JVM fixes its default charset and the charset of its own file names
 * when it starts (java.nio keeps both in static finals, java.io's native
 * code decides once), so a verdict on either holds for the process. */
std::atomic<int> gDefaultVerdict{kUnknown};
std::atomic<int> gFileNameVerdict{kUnknown};

bool CharsetKeepsAscii(JNIEnv* env, JvmCharset which) {
    const bool fileNames = which == JvmCharset::kFileNames;
    std::atomic<int>* verdict = fileNames ? &gFileNameVerdict : &gDefaultVerdict;
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

}  // namespace

char* AsciiBytesIfKept(JNIEnv* env, jstring jstr, JvmCharset which, bool* done) {
    *done = false;
    if (!CharsetKeepsAscii(env, which)) return nullptr;
    return AsciiBytes(env, jstr, done);
}
