/* The JNIEnv without a JVM that the fuzz harnesses use: the JNI functions
 * the bin file code calls, checked as strictly as -Xcheck:jni. */
#include "tests/fuzz/fake_jni.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <utility>

namespace fakejni {

namespace {

const unsigned kRefMagic = 0x4A4E4952u; /* "JNIR" */
const char kStringClass[] = "java/lang/String";

/* The Java methods the library calls: String.getBytes for texts, and what
 * the file-name conversion needs. In the fake, no "sun.jnu.encoding" is
 * set and the default charset is modified UTF-8, which is UTF-8 for the
 * ASCII names the harnesses use, so the charset's name() is "UTF-8". A
 * method's ID is its entry here. */
enum class Method { kGetBytes, kGetProperty, kDefaultCharset, kForName, kName, kNewEncoder,
                    kWrap, kEncode, kRemaining, kGetInto };
struct MethodEntry {
    Method method;
    bool isStatic;
    const char* cls;
    const char* name;
    const char* signature;
};
const MethodEntry kMethods[] = {
    {Method::kGetBytes, false, kStringClass, "getBytes", "()[B"},
    {Method::kGetProperty, true, "java/lang/System", "getProperty",
     "(Ljava/lang/String;)Ljava/lang/String;"},
    {Method::kDefaultCharset, true, "java/nio/charset/Charset", "defaultCharset",
     "()Ljava/nio/charset/Charset;"},
    {Method::kForName, true, "java/nio/charset/Charset", "forName",
     "(Ljava/lang/String;)Ljava/nio/charset/Charset;"},
    {Method::kName, false, "java/nio/charset/Charset", "name", "()Ljava/lang/String;"},
    {Method::kNewEncoder, false, "java/nio/charset/Charset", "newEncoder",
     "()Ljava/nio/charset/CharsetEncoder;"},
    {Method::kWrap, true, "java/nio/CharBuffer", "wrap",
     "(Ljava/lang/CharSequence;)Ljava/nio/CharBuffer;"},
    {Method::kEncode, false, "java/nio/charset/CharsetEncoder", "encode",
     "(Ljava/nio/CharBuffer;)Ljava/nio/ByteBuffer;"},
    {Method::kRemaining, false, "java/nio/ByteBuffer", "remaining", "()I"},
    {Method::kGetInto, false, "java/nio/ByteBuffer", "get", "([B)Ljava/nio/ByteBuffer;"},
};

[[noreturn]] void Die(const char* what, const char* detail = "") {
    fprintf(stderr, "fake JNI: %s%s\n", what, detail);
    fflush(stderr);
    abort();
}

/* Every slot the fake does not implement: aborts, naming its index. */
template <size_t Slot>
void Unimplemented() {
    fprintf(stderr,
            "fake JNI: the library called slot %zu of JNINativeInterface_ (count the members "
            "in jni.h from 0), which this fake does not implement\n",
            Slot);
    fflush(stderr);
    abort();
}

typedef void (*SlotFn)();

template <size_t... Slots>
void FillWithTraps(JNINativeInterface_* table, std::index_sequence<Slots...>) {
    const SlotFn traps[] = {&Unimplemented<Slots>...};
    static_assert(sizeof(SlotFn) == sizeof(void*), "function pointers fill table slots");
    memcpy(static_cast<void*>(table), traps, sizeof traps);
}

const size_t kSlots = sizeof(JNINativeInterface_) / sizeof(void*);

/* Decodes modified UTF-8 as the JVM accepts it; false for anything else. */
bool DecodeStrict(const char* utf, std::u16string* out) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf);
    while (*p != 0) {
        unsigned lead = *p;
        if (lead < 0x80) {
            out->push_back(static_cast<char16_t>(lead));
            p += 1;
        } else if ((lead & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) {
            unsigned unit = (lead & 0x1Fu) << 6 | (p[1] & 0x3Fu);
            if (unit < 0x80 && unit != 0) return false; /* overlong, except C0 80 */
            out->push_back(static_cast<char16_t>(unit));
            p += 2;
        } else if ((lead & 0xF0) == 0xE0 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            unsigned unit = (lead & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
            if (unit < 0x800) return false;
            out->push_back(static_cast<char16_t>(unit));
            p += 3;
        } else {
            return false;
        }
    }
    return true;
}

bool IsArray(Kind kind) {
    return kind == Kind::kByteArray || kind == Kind::kIntArray || kind == Kind::kObjectArray;
}

size_t ArrayLength(const Object& array) {
    switch (array.kind) {
        case Kind::kByteArray:
            return array.bytes.size();
        case Kind::kIntArray:
            return array.ints.size();
        default:
            return array.elements.size();
    }
}

/* The JVM throws for a region outside the array; so does the fake. */
bool RegionFits(FakeJvm& jvm, const Object& array, jsize start, jsize len) {
    if (start < 0 || len < 0 || static_cast<size_t>(start) + static_cast<size_t>(len) >
                                    ArrayLength(array)) {
        jvm.Throw("java/lang/ArrayIndexOutOfBoundsException");
        return false;
    }
    return true;
}

Object* Of(FakeJvm& jvm, jobject ref, Kind kind, const char* use) {
    Object* object = jvm.Deref(ref, use);
    jvm.Require(object != nullptr, use);
    jvm.Require(object->kind == kind, use);
    return object;
}

/* ---- the implemented functions, in the order of jni.h ---- */

jclass JNICALL FindClass(JNIEnv* env, const char* name) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("FindClass");
    jvm.Require(name != nullptr, "FindClass of null");
    /* A descriptor or a dotted name is no class name: the JVM fails them. */
    if (name[0] == 'L' || strchr(name, '.') != nullptr || name[0] == '\0') {
        jvm.Throw("java/lang/NoClassDefFoundError");
        return nullptr;
    }
    return static_cast<jclass>(jvm.NewRef(jvm.ClassNamed(name)));
}

jthrowable JNICALL ExceptionOccurred(JNIEnv* env) {
    FakeJvm& jvm = FakeJvm::From(env);
    return static_cast<jthrowable>(jvm.m_pending ? jvm.NewRef(jvm.m_pending) : nullptr);
}

void JNICALL ExceptionDescribe(JNIEnv* env) { FakeJvm::From(env).m_pending = nullptr; }

void JNICALL ExceptionClear(JNIEnv* env) { FakeJvm::From(env).m_pending = nullptr; }

jint JNICALL PushLocalFrame(JNIEnv* env, jint capacity) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("PushLocalFrame");
    jvm.Require(capacity >= 0, "PushLocalFrame with a negative capacity");
    return jvm.PushFrame();
}

jobject JNICALL PopLocalFrame(JNIEnv* env, jobject result) {
    return FakeJvm::From(env).PopFrame(result);
}

void JNICALL DeleteLocalRef(JNIEnv* env, jobject ref) {
    if (ref != nullptr) FakeJvm::From(env).DeleteRef(ref);
}

jboolean JNICALL IsSameObject(JNIEnv* env, jobject a, jobject b) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("IsSameObject");
    return jvm.Deref(a, "IsSameObject") == jvm.Deref(b, "IsSameObject") ? JNI_TRUE : JNI_FALSE;
}

jobject JNICALL NewLocalRef(JNIEnv* env, jobject ref) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("NewLocalRef");
    Object* object = jvm.Deref(ref, "NewLocalRef");
    return object ? jvm.NewRef(object) : nullptr;
}

/* Weak references outlive the native call; the library keeps them only to
 * classes, which live as long as the fake does. */
jweak JNICALL NewWeakGlobalRef(JNIEnv* env, jobject ref) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("NewWeakGlobalRef");
    Object* object = jvm.Deref(ref, "NewWeakGlobalRef");
    if (object == nullptr) return nullptr;
    jvm.Require(object->kind == Kind::kClass, "a weak reference to an object that dies with the call");
    return jvm.NewGlobalRef(object);
}

void JNICALL DeleteWeakGlobalRef(JNIEnv* env, jweak ref) {
    if (ref != nullptr) FakeJvm::From(env).DeleteRef(ref);
}

jint JNICALL EnsureLocalCapacity(JNIEnv* env, jint capacity) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("EnsureLocalCapacity");
    jvm.Require(capacity >= 0, "EnsureLocalCapacity with a negative capacity");
    return 0;
}

jclass JNICALL GetObjectClass(JNIEnv* env, jobject ref) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetObjectClass");
    Object* object = jvm.Deref(ref, "GetObjectClass");
    jvm.Require(object != nullptr, "GetObjectClass of null");
    const Object* cls = object->kind == Kind::kClass ? jvm.ClassNamed("java/lang/Class")
                                                     : object->cls;
    return static_cast<jclass>(jvm.NewRef(const_cast<Object*>(cls)));
}

jboolean JNICALL IsInstanceOf(JNIEnv* env, jobject ref, jclass cls) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("IsInstanceOf");
    Object* object = jvm.Deref(ref, "IsInstanceOf");
    Object* klass = Of(jvm, cls, Kind::kClass, "IsInstanceOf with no class");
    return object == nullptr || object->cls == klass ? JNI_TRUE : JNI_FALSE;
}

jmethodID FindMethod(FakeJvm& jvm, jclass cls, const char* name, const char* sig, bool isStatic) {
    Object* klass = Of(jvm, cls, Kind::kClass, "GetMethodID with no class");
    jvm.Require(name != nullptr && sig != nullptr, "GetMethodID with a null name");
    for (const MethodEntry& entry : kMethods) {
        if (entry.isStatic == isStatic && klass->className == entry.cls &&
            strcmp(name, entry.name) == 0 && strcmp(sig, entry.signature) == 0)
            return reinterpret_cast<jmethodID>(const_cast<MethodEntry*>(&entry));
    }
    jvm.Throw("java/lang/NoSuchMethodError");
    return nullptr;
}

const MethodEntry& EntryOf(FakeJvm& jvm, jmethodID id, bool isStatic) {
    for (const MethodEntry& entry : kMethods) {
        if (id == reinterpret_cast<jmethodID>(const_cast<MethodEntry*>(&entry))) {
            jvm.Require(entry.isStatic == isStatic, "a method called as what it is not");
            return entry;
        }
    }
    Die("a call of an unknown method ID");
}

jmethodID JNICALL GetMethodID(JNIEnv* env, jclass cls, const char* name, const char* sig) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetMethodID");
    return FindMethod(jvm, cls, name, sig, false);
}

jmethodID JNICALL GetStaticMethodID(JNIEnv* env, jclass cls, const char* name, const char* sig) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetStaticMethodID");
    return FindMethod(jvm, cls, name, sig, true);
}

jobject NewBytesObject(FakeJvm& jvm, Kind kind, const char* cls, const std::u16string& text) {
    std::string bytes = EncodeModifiedUtf8(text);
    Object* object = jvm.NewObject(kind, jvm.ClassNamed(cls));
    object->bytes.assign(bytes.begin(), bytes.end());
    return jvm.NewRef(object);
}

jobject JNICALL CallObjectMethodV(JNIEnv* env, jobject ref, jmethodID method, va_list args) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("CallObjectMethod");
    const MethodEntry& entry = EntryOf(jvm, method, false);
    Object* self = Of(jvm, ref, entry.method == Method::kGetBytes ? Kind::kString : Kind::kInstance,
                      "a method called on an object of another kind");
    jvm.Require(self->kind == Kind::kString || self->cls->className == entry.cls,
                "a method called on an object of another class");
    switch (entry.method) {
        case Method::kGetBytes:
            return NewBytesObject(jvm, Kind::kByteArray, "[B", self->text);
        case Method::kName: {
            Object* text = jvm.NewObject(Kind::kString, jvm.ClassNamed(kStringClass));
            text->text = u"UTF-8";
            return jvm.NewRef(text);
        }
        case Method::kNewEncoder:
            return jvm.NewRef(jvm.NewObject(Kind::kInstance, jvm.ClassNamed("java/nio/charset/CharsetEncoder")));
        case Method::kEncode: {
            Object* chars = Of(jvm, va_arg(args, jobject), Kind::kString, "encode of no CharBuffer");
            return NewBytesObject(jvm, Kind::kInstance, "java/nio/ByteBuffer", chars->text);
        }
        case Method::kGetInto: {
            Object* array = Of(jvm, va_arg(args, jobject), Kind::kByteArray, "get into no byte[]");
            if (array->bytes.size() > self->bytes.size()) {
                jvm.Throw("java/nio/BufferUnderflowException");
                return nullptr;
            }
            std::copy(self->bytes.begin(), self->bytes.begin() + static_cast<long>(array->bytes.size()),
                      array->bytes.begin());
            return jvm.NewRef(self);
        }
        default:
            Die("CallObjectMethod of a method that returns no object");
    }
}

jint JNICALL CallIntMethodV(JNIEnv* env, jobject ref, jmethodID method, va_list) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("CallIntMethod");
    jvm.Require(EntryOf(jvm, method, false).method == Method::kRemaining,
                "CallIntMethod of a method that returns no int");
    return static_cast<jint>(Of(jvm, ref, Kind::kInstance, "remaining on no buffer")->bytes.size());
}

jobject JNICALL CallStaticObjectMethodV(JNIEnv* env, jclass cls, jmethodID method, va_list args) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("CallStaticObjectMethod");
    const MethodEntry& entry = EntryOf(jvm, method, true);
    jvm.Require(Of(jvm, cls, Kind::kClass, "a static call on no class")->className == entry.cls,
                "a static method called on another class");
    switch (entry.method) {
        case Method::kGetProperty:
            Of(jvm, va_arg(args, jobject), Kind::kString, "getProperty of no String");
            return nullptr; /* no sun.jnu.encoding: the default charset */
        case Method::kDefaultCharset:
        case Method::kForName:
            return jvm.NewRef(jvm.NewObject(Kind::kInstance, jvm.ClassNamed(entry.cls)));
        case Method::kWrap:
            return jvm.NewRef(Of(jvm, va_arg(args, jobject), Kind::kString, "wrap of no String"));
        default:
            Die("CallStaticObjectMethod of a method that returns no object");
    }
}

jfieldID JNICALL GetFieldID(JNIEnv* env, jclass cls, const char* name, const char* sig) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetFieldID");
    Object* klass = Of(jvm, cls, Kind::kClass, "GetFieldID with no class");
    jvm.Require(name != nullptr && sig != nullptr, "GetFieldID with a null name");
    bool found = false;
    size_t index = jvm.FieldIndex(klass, name, sig, &found);
    if (!found) {
        jvm.Throw("java/lang/NoSuchFieldError");
        return nullptr;
    }
    return reinterpret_cast<jfieldID>(index + 1);
}

jobject JNICALL GetObjectField(JNIEnv* env, jobject ref, jfieldID id) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetObjectField");
    Object* object = Of(jvm, ref, Kind::kInstance, "GetObjectField on no instance");
    const Field& field = jvm.FieldAt(id, object->cls, "GetObjectField");
    jvm.Require(field.signature[0] == 'L' || field.signature[0] == '[',
                "GetObjectField of a primitive field");
    auto it = object->objectFields.find(reinterpret_cast<size_t>(id) - 1);
    return it == object->objectFields.end() || it->second == nullptr ? nullptr
                                                                      : jvm.NewRef(it->second);
}

jint JNICALL GetIntField(JNIEnv* env, jobject ref, jfieldID id) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetIntField");
    Object* object = Of(jvm, ref, Kind::kInstance, "GetIntField on no instance");
    jvm.Require(jvm.FieldAt(id, object->cls, "GetIntField").signature == "I",
                "GetIntField of a field that is no int");
    auto it = object->intFields.find(reinterpret_cast<size_t>(id) - 1);
    return it == object->intFields.end() ? 0 : it->second;
}

void JNICALL SetObjectField(JNIEnv* env, jobject ref, jfieldID id, jobject value) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("SetObjectField");
    Object* object = Of(jvm, ref, Kind::kInstance, "SetObjectField on no instance");
    const Field& field = jvm.FieldAt(id, object->cls, "SetObjectField");
    Object* target = jvm.Deref(value, "SetObjectField value");
    if (target != nullptr) {
        bool fits = field.signature == "Ljava/lang/String;" ? target->kind == Kind::kString
                    : field.signature == "[I"               ? target->kind == Kind::kIntArray
                    : field.signature[0] == '['             ? target->kind == Kind::kObjectArray
                                                            : target->kind == Kind::kInstance;
        jvm.Require(fits, "SetObjectField with a value of another type than the field's");
    }
    object->objectFields[reinterpret_cast<size_t>(id) - 1] = target;
    ++object->writes;
}

void JNICALL SetIntField(JNIEnv* env, jobject ref, jfieldID id, jint value) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("SetIntField");
    Object* object = Of(jvm, ref, Kind::kInstance, "SetIntField on no instance");
    jvm.Require(jvm.FieldAt(id, object->cls, "SetIntField").signature == "I",
                "SetIntField of a field that is no int");
    object->intFields[reinterpret_cast<size_t>(id) - 1] = value;
    ++object->writes;
}

jstring JNICALL NewString(JNIEnv* env, const jchar* units, jsize len) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("NewString");
    jvm.Require(len >= 0 && (len == 0 || units != nullptr), "NewString of no text");
    Object* text = jvm.NewObject(Kind::kString, jvm.ClassNamed(kStringClass));
    text->text.assign(reinterpret_cast<const char16_t*>(units), static_cast<size_t>(len));
    return static_cast<jstring>(jvm.NewRef(text));
}

jsize JNICALL GetStringLength(JNIEnv* env, jstring ref) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetStringLength");
    return static_cast<jsize>(Of(jvm, ref, Kind::kString, "GetStringLength")->text.size());
}

jstring JNICALL NewStringUTF(JNIEnv* env, const char* utf) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("NewStringUTF");
    if (utf == nullptr) return nullptr;
    std::u16string units;
    if (!DecodeStrict(utf, &units)) Die("NewStringUTF of bytes that are no modified UTF-8");
    Object* text = jvm.NewObject(Kind::kString, jvm.ClassNamed(kStringClass));
    text->text = units;
    return static_cast<jstring>(jvm.NewRef(text));
}

jsize JNICALL GetStringUTFLength(JNIEnv* env, jstring ref) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetStringUTFLength");
    return static_cast<jsize>(
        EncodeModifiedUtf8(Of(jvm, ref, Kind::kString, "GetStringUTFLength")->text).size());
}

const char* JNICALL GetStringUTFChars(JNIEnv* env, jstring ref, jboolean* isCopy) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetStringUTFChars");
    std::string utf = EncodeModifiedUtf8(Of(jvm, ref, Kind::kString, "GetStringUTFChars")->text);
    char* copy = static_cast<char*>(malloc(utf.size() + 1));
    if (copy == nullptr) Die("out of memory");
    memcpy(copy, utf.c_str(), utf.size() + 1);
    if (isCopy != nullptr) *isCopy = JNI_TRUE;
    ++jvm.m_heldCopies;
    return copy;
}

void JNICALL ReleaseStringUTFChars(JNIEnv* env, jstring ref, const char* chars) {
    FakeJvm& jvm = FakeJvm::From(env);
    Of(jvm, ref, Kind::kString, "ReleaseStringUTFChars");
    jvm.Require(chars != nullptr && jvm.m_heldCopies > 0, "ReleaseStringUTFChars of nothing held");
    --jvm.m_heldCopies;
    free(const_cast<char*>(chars));
}

jsize JNICALL GetArrayLength(JNIEnv* env, jarray ref) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetArrayLength");
    Object* array = jvm.Deref(ref, "GetArrayLength");
    jvm.Require(array != nullptr && IsArray(array->kind), "GetArrayLength of no array");
    return static_cast<jsize>(ArrayLength(*array));
}

jobject JNICALL GetObjectArrayElement(JNIEnv* env, jobjectArray ref, jsize index) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetObjectArrayElement");
    Object* array = Of(jvm, ref, Kind::kObjectArray, "GetObjectArrayElement");
    if (!RegionFits(jvm, *array, index, 1)) return nullptr;
    Object* element = array->elements[static_cast<size_t>(index)];
    return element ? jvm.NewRef(element) : nullptr;
}

jbyteArray JNICALL NewByteArray(JNIEnv* env, jsize len) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("NewByteArray");
    jvm.Require(len >= 0, "NewByteArray of a negative length");
    Object* array = jvm.NewObject(Kind::kByteArray, jvm.ClassNamed("[B"));
    array->bytes.assign(static_cast<size_t>(len), 0);
    return static_cast<jbyteArray>(jvm.NewRef(array));
}

jintArray JNICALL NewIntArray(JNIEnv* env, jsize len) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("NewIntArray");
    jvm.Require(len >= 0, "NewIntArray of a negative length");
    Object* array = jvm.NewObject(Kind::kIntArray, jvm.ClassNamed("[I"));
    array->ints.assign(static_cast<size_t>(len), 0);
    return static_cast<jintArray>(jvm.NewRef(array));
}

jint* JNICALL GetIntArrayElements(JNIEnv* env, jintArray ref, jboolean* isCopy) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetIntArrayElements");
    Object* array = Of(jvm, ref, Kind::kIntArray, "GetIntArrayElements");
    /* Always a copy, of exactly the array's length, so that ASan sees any
     * access beyond it. */
    jint* copy = static_cast<jint*>(malloc(array->ints.size() * sizeof(jint) + 1));
    if (copy == nullptr) Die("out of memory");
    if (!array->ints.empty()) memcpy(copy, array->ints.data(), array->ints.size() * sizeof(jint));
    if (isCopy != nullptr) *isCopy = JNI_TRUE;
    ++jvm.m_heldCopies;
    return copy;
}

void JNICALL ReleaseIntArrayElements(JNIEnv* env, jintArray ref, jint* elems, jint mode) {
    FakeJvm& jvm = FakeJvm::From(env);
    Object* array = Of(jvm, ref, Kind::kIntArray, "ReleaseIntArrayElements");
    jvm.Require(elems != nullptr && jvm.m_heldCopies > 0, "ReleaseIntArrayElements of nothing");
    if (mode == 0 || mode == JNI_COMMIT) {
        if (!array->ints.empty())
            memcpy(array->ints.data(), elems, array->ints.size() * sizeof(jint));
        ++array->writes;
    }
    if (mode == 0 || mode == JNI_ABORT) {
        --jvm.m_heldCopies;
        free(elems);
    }
}

void JNICALL GetByteArrayRegion(JNIEnv* env, jbyteArray ref, jsize start, jsize len, jbyte* buf) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetByteArrayRegion");
    Object* array = Of(jvm, ref, Kind::kByteArray, "GetByteArrayRegion");
    if (RegionFits(jvm, *array, start, len) && len > 0)
        memcpy(buf, array->bytes.data() + start, static_cast<size_t>(len));
}

void JNICALL GetIntArrayRegion(JNIEnv* env, jintArray ref, jsize start, jsize len, jint* buf) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetIntArrayRegion");
    Object* array = Of(jvm, ref, Kind::kIntArray, "GetIntArrayRegion");
    if (RegionFits(jvm, *array, start, len) && len > 0)
        memcpy(buf, array->ints.data() + start, static_cast<size_t>(len) * sizeof(jint));
}

void JNICALL SetByteArrayRegion(JNIEnv* env, jbyteArray ref, jsize start, jsize len,
                                const jbyte* buf) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("SetByteArrayRegion");
    Object* array = Of(jvm, ref, Kind::kByteArray, "SetByteArrayRegion");
    if (RegionFits(jvm, *array, start, len) && len > 0)
        memcpy(array->bytes.data() + start, buf, static_cast<size_t>(len));
}

void JNICALL SetIntArrayRegion(JNIEnv* env, jintArray ref, jsize start, jsize len,
                               const jint* buf) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("SetIntArrayRegion");
    Object* array = Of(jvm, ref, Kind::kIntArray, "SetIntArrayRegion");
    if (RegionFits(jvm, *array, start, len) && len > 0)
        memcpy(array->ints.data() + start, buf, static_cast<size_t>(len) * sizeof(jint));
}

void JNICALL GetStringRegion(JNIEnv* env, jstring ref, jsize start, jsize len, jchar* buf) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetStringRegion");
    const std::u16string& text = Of(jvm, ref, Kind::kString, "GetStringRegion")->text;
    if (start < 0 || len < 0 || static_cast<size_t>(start) + static_cast<size_t>(len) > text.size()) {
        jvm.Throw("java/lang/StringIndexOutOfBoundsException");
        return;
    }
    if (len > 0) memcpy(buf, text.data() + start, static_cast<size_t>(len) * sizeof(jchar));
}

void JNICALL GetStringUTFRegion(JNIEnv* env, jstring ref, jsize start, jsize len, char* buf) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetStringUTFRegion");
    const std::u16string& text = Of(jvm, ref, Kind::kString, "GetStringUTFRegion")->text;
    if (start < 0 || len < 0 || static_cast<size_t>(start) + static_cast<size_t>(len) > text.size()) {
        jvm.Throw("java/lang/StringIndexOutOfBoundsException");
        return;
    }
    std::string utf = EncodeModifiedUtf8(
        text.substr(static_cast<size_t>(start), static_cast<size_t>(len)));
    memcpy(buf, utf.c_str(), utf.size() + 1);
}

void* JNICALL GetPrimitiveArrayCritical(JNIEnv* env, jarray ref, jboolean* isCopy) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.NoPending("GetPrimitiveArrayCritical");
    Object* array = jvm.Deref(ref, "GetPrimitiveArrayCritical");
    jvm.Require(array != nullptr &&
                    (array->kind == Kind::kIntArray || array->kind == Kind::kByteArray),
                "GetPrimitiveArrayCritical of no primitive array");
    if (isCopy != nullptr) *isCopy = JNI_FALSE;
    ++jvm.m_critical;
    if (array->kind == Kind::kIntArray) return array->ints.data();
    return array->bytes.data();
}

void JNICALL ReleasePrimitiveArrayCritical(JNIEnv* env, jarray ref, void* carray, jint) {
    FakeJvm& jvm = FakeJvm::From(env);
    jvm.Deref(ref, "ReleasePrimitiveArrayCritical");
    jvm.Require(jvm.m_critical > 0, "ReleasePrimitiveArrayCritical without a Get");
    (void)carray;
    --jvm.m_critical;
}

jboolean JNICALL ExceptionCheck(JNIEnv* env) {
    return FakeJvm::From(env).m_pending != nullptr ? JNI_TRUE : JNI_FALSE;
}

}  // namespace

std::string EncodeModifiedUtf8(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) {
        unsigned u = unit;
        if (u != 0 && u < 0x80) {
            out.push_back(static_cast<char>(u));
        } else if (u < 0x800) {
            out.push_back(static_cast<char>(0xC0 | u >> 6));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | u >> 12));
            out.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
    return out;
}

FakeJvm::FakeJvm() : m_table(), m_env() {
    FillWithTraps(&m_table, std::make_index_sequence<kSlots>());
    m_table.FindClass = FindClass;
    m_table.ExceptionOccurred = ExceptionOccurred;
    m_table.ExceptionDescribe = ExceptionDescribe;
    m_table.ExceptionClear = ExceptionClear;
    m_table.PushLocalFrame = PushLocalFrame;
    m_table.PopLocalFrame = PopLocalFrame;
    m_table.DeleteLocalRef = DeleteLocalRef;
    m_table.IsSameObject = IsSameObject;
    m_table.NewLocalRef = NewLocalRef;
    m_table.EnsureLocalCapacity = EnsureLocalCapacity;
    m_table.NewWeakGlobalRef = NewWeakGlobalRef;
    m_table.DeleteWeakGlobalRef = DeleteWeakGlobalRef;
    m_table.GetObjectClass = GetObjectClass;
    m_table.IsInstanceOf = IsInstanceOf;
    m_table.GetMethodID = GetMethodID;
    m_table.CallObjectMethodV = CallObjectMethodV;
    m_table.CallIntMethodV = CallIntMethodV;
    m_table.GetStaticMethodID = GetStaticMethodID;
    m_table.CallStaticObjectMethodV = CallStaticObjectMethodV;
    m_table.GetFieldID = GetFieldID;
    m_table.GetObjectField = GetObjectField;
    m_table.GetIntField = GetIntField;
    m_table.SetObjectField = SetObjectField;
    m_table.SetIntField = SetIntField;
    m_table.NewString = NewString;
    m_table.GetStringLength = GetStringLength;
    m_table.NewStringUTF = NewStringUTF;
    m_table.GetStringUTFLength = GetStringUTFLength;
    m_table.GetStringUTFChars = GetStringUTFChars;
    m_table.ReleaseStringUTFChars = ReleaseStringUTFChars;
    m_table.GetArrayLength = GetArrayLength;
    m_table.GetObjectArrayElement = GetObjectArrayElement;
    m_table.NewByteArray = NewByteArray;
    m_table.NewIntArray = NewIntArray;
    m_table.GetIntArrayElements = GetIntArrayElements;
    m_table.ReleaseIntArrayElements = ReleaseIntArrayElements;
    m_table.GetByteArrayRegion = GetByteArrayRegion;
    m_table.GetIntArrayRegion = GetIntArrayRegion;
    m_table.SetByteArrayRegion = SetByteArrayRegion;
    m_table.SetIntArrayRegion = SetIntArrayRegion;
    m_table.GetStringRegion = GetStringRegion;
    m_table.GetStringUTFRegion = GetStringUTFRegion;
    m_table.GetPrimitiveArrayCritical = GetPrimitiveArrayCritical;
    m_table.ReleasePrimitiveArrayCritical = ReleasePrimitiveArrayCritical;
    m_table.ExceptionCheck = ExceptionCheck;
    m_env.env.functions = &m_table;
    m_env.owner = this;
}

FakeJvm::~FakeJvm() {}

FakeJvm& FakeJvm::From(JNIEnv* env) {
    if (env == nullptr) Die("a JNI function called with a null JNIEnv");
    return *reinterpret_cast<EnvHolder*>(env)->owner;
}

void FakeJvm::Require(bool condition, const char* what) const {
    if (!condition) Die("misuse: ", what);
}

void FakeJvm::NoPending(const char* function) const {
    if (m_critical > 0) Die("called inside a critical region: ", function);
    if (m_pending != nullptr) Die("called with an exception pending: ", function);
}

void FakeJvm::EndCall() {
    Require(m_heldCopies == 0, "a UTF-8 copy or array elements not released before return");
    Require(m_critical == 0, "a critical region still open at return");
    m_pending = nullptr;
    m_refs.clear();
    m_frames.clear();
    m_objects.clear();
}

Object* FakeJvm::ClassNamed(const std::string& name) {
    auto it = m_classes.find(name);
    if (it != m_classes.end()) return it->second;
    m_classStore.emplace_back(Kind::kClass);
    Object* cls = &m_classStore.back();
    cls->className = name;
    m_classes[name] = cls;
    return cls;
}

Object* FakeJvm::NewObject(Kind kind, const Object* cls) {
    m_objects.emplace_back(kind);
    m_objects.back().cls = cls;
    return &m_objects.back();
}

jobject FakeJvm::NewRef(Object* object) {
    m_refs.push_back(Ref{kRefMagic, true, object});
    return reinterpret_cast<jobject>(&m_refs.back());
}

jobject FakeJvm::NewGlobalRef(Object* object) {
    m_globals.push_back(Ref{kRefMagic, true, object});
    return reinterpret_cast<jobject>(&m_globals.back());
}

Object* FakeJvm::Deref(jobject ref, const char* use) {
    if (ref == nullptr) return nullptr;
    Ref* entry = reinterpret_cast<Ref*>(ref);
    if (entry->magic != kRefMagic) Die("not a reference of this JNIEnv, in ", use);
    if (!entry->live) Die("a deleted local reference used, in ", use);
    return entry->target;
}

void FakeJvm::DeleteRef(jobject ref) {
    Deref(ref, "DeleteLocalRef");
    reinterpret_cast<Ref*>(ref)->live = false;
}

jint FakeJvm::PushFrame() {
    m_frames.push_back(m_refs.size());
    return 0;
}

jobject FakeJvm::PopFrame(jobject result) {
    Require(!m_frames.empty(), "PopLocalFrame without PushLocalFrame");
    Object* kept = Deref(result, "PopLocalFrame");
    for (size_t i = m_frames.back(); i < m_refs.size(); ++i) m_refs[i].live = false;
    m_frames.pop_back();
    return kept ? NewRef(kept) : nullptr;
}

size_t FakeJvm::FieldIndex(const Object* cls, const char* name, const char* signature,
                           bool* found) {
    std::string key = cls->className + "." + name;
    auto it = m_fieldIndex.find(key);
    if (it == m_fieldIndex.end()) {
        m_fields.push_back(Field{cls, name, signature});
        it = m_fieldIndex.emplace(key, m_fields.size() - 1).first;
    }
    *found = m_fields[it->second].signature == signature;
    return it->second;
}

const Field& FakeJvm::FieldAt(jfieldID id, const Object* owner, const char* use) {
    size_t index = reinterpret_cast<size_t>(id);
    if (index == 0 || index > m_fields.size()) Die("not a field ID of this JNIEnv, in ", use);
    const Field& field = m_fields[index - 1];
    if (field.cls != owner) Die("a field of another class used, in ", use);
    return field;
}

void FakeJvm::Throw(const char* className) {
    m_pending = NewObject(Kind::kInstance, ClassNamed(className));
}

const std::string& FakeJvm::PendingName() const {
    static const std::string none;
    return m_pending ? m_pending->cls->className : none;
}

jobject FakeJvm::NewInstance(const char* className) {
    return NewRef(NewObject(Kind::kInstance, ClassNamed(className)));
}

jstring FakeJvm::NewJavaString(const std::u16string& text) {
    Object* object = NewObject(Kind::kString, ClassNamed(kStringClass));
    object->text = text;
    return static_cast<jstring>(NewRef(object));
}

jstring FakeJvm::NewJavaString(const char* ascii) {
    return NewJavaString(std::u16string(ascii, ascii + strlen(ascii)));
}

jintArray FakeJvm::NewJavaIntArray(const std::vector<jint>& values) {
    Object* array = NewObject(Kind::kIntArray, ClassNamed("[I"));
    array->ints = values;
    return static_cast<jintArray>(NewRef(array));
}

jobjectArray FakeJvm::NewJavaObjectArray(const char* elementClass,
                                         const std::vector<jobject>& elements) {
    Object* array = NewObject(Kind::kObjectArray, ClassNamed(std::string("[L") + elementClass + ";"));
    for (jobject element : elements) array->elements.push_back(Deref(element, "array element"));
    return static_cast<jobjectArray>(NewRef(array));
}

void FakeJvm::SetInt(jobject object, const char* field, jint value) {
    Object* target = Deref(object, "SetInt");
    bool found = false;
    size_t index = FieldIndex(target->cls, field, "I", &found);
    Require(found, field);
    target->intFields[index] = value;
}

void FakeJvm::SetObject(jobject object, const char* field, const char* signature, jobject value) {
    Object* target = Deref(object, "SetObject");
    bool found = false;
    size_t index = FieldIndex(target->cls, field, signature, &found);
    Require(found, field);
    target->objectFields[index] = Deref(value, "SetObject value");
}

}  // namespace fakejni
