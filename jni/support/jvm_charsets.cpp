/* The JVM's charsets, looked up through JNI. */
#include "jni/support/jvm_charsets.h"

#include "jni/support/jni_ref.h"

jobject DefaultCharset(JNIEnv* env, jclass charsetClass) {
    jmethodID defaultCharset =
        env->GetStaticMethodID(charsetClass, "defaultCharset", "()Ljava/nio/charset/Charset;");
    if (defaultCharset == nullptr) return nullptr;
    return env->CallStaticObjectMethod(charsetClass, defaultCharset);
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
