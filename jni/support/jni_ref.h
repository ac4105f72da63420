/* Owner of one JNI local reference: deleted when the owner goes out of
 * scope, so loops over thousands of objects never fill the JVM's local
 * reference table. */
#ifndef JNI_SUPPORT_JNI_REF_H
#define JNI_SUPPORT_JNI_REF_H

#include <jni.h>
#include <stdlib.h>

#include <memory>

template <typename T>
class LocalRef {
public:
    LocalRef(JNIEnv* env, T ref) : m_env(env), m_ref(ref) {}
    ~LocalRef() { reset(); }
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;
    LocalRef(LocalRef&& other) noexcept : m_env(other.m_env), m_ref(other.release()) {}

    T get() const { return m_ref; }
    explicit operator bool() const { return m_ref != nullptr; }

    /* Hands the reference to the caller, who then owns it. */
    T release() {
        T ref = m_ref;
        m_ref = nullptr;
        return ref;
    }

    void reset(T ref = nullptr) {
        if (m_ref != nullptr) m_env->DeleteLocalRef(m_ref);
        m_ref = ref;
    }

private:
    JNIEnv* m_env;
    T m_ref;
};

/* A text from JStringToWindows, released with the allocator that made it. */
struct MallocFree {
    void operator()(char* text) const { free(text); }
};
typedef std::unique_ptr<char, MallocFree> ConvertedText;

#endif
