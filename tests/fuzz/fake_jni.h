/* A JNIEnv without a JVM, for the fuzz harnesses and the corpus generator.
 *
 * It implements the JNI functions the bin file code uses and checks their use
 * as strictly as -Xcheck:jni: a call made with an exception pending or inside
 * a critical region, a deleted or foreign reference, a field used with another
 * type or on an object of another class, or text that is no modified UTF-8
 * aborts the process with a message. Every other slot of the function table
 * aborts too, naming its index in jni.h's JNINativeInterface_, so a change of
 * the library that needs more of JNI shows at once instead of misbehaving.
 *
 * Classes come into being when first named; a field is declared by its first
 * use, with the signature of that use. Objects and references live until
 * EndCall(), which plays the end of a native method: the JVM frees the local
 * references then. Weak global references (to classes only) live as long as
 * the fake: keep one fake per process, since the library remembers them.
 * One thread only. */
#ifndef TESTS_FUZZ_FAKE_JNI_H
#define TESTS_FUZZ_FAKE_JNI_H

#include <jni.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace fakejni {

enum class Kind { kClass, kInstance, kString, kByteArray, kIntArray, kObjectArray };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    Kind kind;
    const Object* cls = nullptr; /* class of an instance or array */
    std::string className;       /* of a class object */
    std::u16string text;         /* of a string */
    std::vector<jbyte> bytes;
    std::vector<jint> ints;
    std::vector<Object*> elements;
    std::map<size_t, jint> intFields;      /* by field index */
    std::map<size_t, Object*> objectFields;
    size_t writes = 0; /* fields the library has set on this object */
};

struct Field {
    const Object* cls;
    std::string name;
    std::string signature;
};

class FakeJvm {
public:
    FakeJvm();
    FakeJvm(const FakeJvm&) = delete;
    FakeJvm& operator=(const FakeJvm&) = delete;
    ~FakeJvm();

    JNIEnv* Env() { return &m_env.env; }

    /* Ends the "native call": fails if a UTF-8 copy or an array is still
     * held, then frees every object and reference made since the last one.
     * Classes and fields stay. */
    void EndCall();

    /* Objects handed to the library, each as a new local reference. */
    jobject NewInstance(const char* className);
    jstring NewJavaString(const std::u16string& text);
    jstring NewJavaString(const char* ascii);
    jintArray NewJavaIntArray(const std::vector<jint>& values);
    jobjectArray NewJavaObjectArray(const char* elementClass, const std::vector<jobject>& elements);

    /* Field values as Java code would set and read them; the field is
     * declared with the matching signature if it is not yet. */
    void SetInt(jobject object, const char* field, jint value);
    void SetObject(jobject object, const char* field, const char* signature, jobject value);

    Object* Deref(jobject ref, const char* use); /* aborts on a dead or foreign reference */
    bool ExceptionPending() const { return m_pending != nullptr; }
    const std::string& PendingName() const;

    /* The JNI functions, reached through the table with a FakeJvm behind
     * every JNIEnv it hands out. Public so that the table can name them. */
    struct EnvHolder {
        JNIEnv env;
        FakeJvm* owner;
    };
    static FakeJvm& From(JNIEnv* env);

    Object* ClassNamed(const std::string& name);
    Object* NewObject(Kind kind, const Object* cls);
    jobject NewRef(Object* object);
    jobject NewGlobalRef(Object* object); /* survives EndCall() */
    void DeleteRef(jobject ref);
    size_t FieldIndex(const Object* cls, const char* name, const char* signature, bool* found);
    const Field& FieldAt(jfieldID id, const Object* owner, const char* use);
    void Throw(const char* className);
    void Require(bool condition, const char* what) const;
    void NoPending(const char* function) const;

    jint PushFrame();
    jobject PopFrame(jobject result);

    std::map<std::string, Object*> m_classes;
    std::deque<Object> m_classStore;
    std::vector<Field> m_fields;
    std::map<std::string, size_t> m_fieldIndex; /* "class.name" -> index */

    std::deque<Object> m_objects;
    struct Ref {
        unsigned magic;
        bool live;
        Object* target;
    };
    std::deque<Ref> m_refs;
    std::deque<Ref> m_globals; /* weak global references: they outlive EndCall() */
    std::vector<size_t> m_frames; /* m_refs size at each PushLocalFrame */
    Object* m_pending = nullptr;
    int m_heldCopies = 0;  /* UTF-8 copies and array elements not yet released */
    int m_critical = 0;    /* critical regions open */

private:
    JNINativeInterface_ m_table;
    EnvHolder m_env;
};

/* Modified UTF-8 as the JVM's GetStringUTFChars produces it. */
std::string EncodeModifiedUtf8(const std::u16string& text);

}  // namespace fakejni

#endif
