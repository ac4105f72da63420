/* The helper classes, their cache and the conversion of gathered panels. */
#include "panel/java/bulk/bulk_gather.h"

#include <mutex>
#include <string>
#include <vector>

#include "jni/support/jni_ref.h"
#include "panel/model/field_codec.h"
#include "panel/java/bulk/gather_class.h"
#include "panel/java/record_mapper.h"

namespace {

/* Panels per call of the helper: the two arrays then take some 64 KiB for
 * R120 and stay in the cache while native code converts them. */
const jsize kPanelsPerGather = 64;

/* Helpers kept at once; a class whose loader is gone frees its entry. A
 * process with more panel classes alive converts the others through JNI. */
const size_t kHelperEntries = 16;

bool Failed(JNIEnv* env) { return env->ExceptionCheck() == JNI_TRUE; }

/* An exception that the library's own attempt raised: the fallback takes
 * over, and the caller must not find it pending. */
bool ClearFailure(JNIEnv* env) {
    if (!Failed(env)) return false;
    env->ExceptionClear();
    return true;
}

/* The gathered values of a generation turned into its record. */
class PanelConverter {
public:
    explicit PanelConverter(const RecordLayout& layout)
        : m_plan(layout), m_ints(*IntFieldsOf(layout)) {
        for (size_t i = 0; i < m_plan.count; ++i)
            if (!IsIntField(*m_plan.slots[i].def)) m_objects[m_objectCount++] = m_plan.slots[i];
    }

    const GatherPlan& Plan() const { return m_plan; }

    /* The record of one gathered slot; ints points at its mark. */
    void Convert(const jint* ints, const jchar* chars, KS_U8* record) const {
        m_ints.Store(ints + 1, record);
        for (size_t i = 0; i < m_objectCount; ++i) {
            const GatherSlot& slot = m_objects[i];
            const jint taken = ints[slot.at];
            /* The helper never takes more than the member holds; a count
             * out of that range would be a fault of ours, not a reason to
             * write beyond it. */
            const size_t n = taken < 0 ? 0 : Smaller(static_cast<size_t>(taken), slot.def->width);
            if (slot.def->kind == FieldKind::kText)
                StoreUtf16Text(*slot.def, chars + slot.text, n, record);
            else
                StoreBytes(*slot.def, ints + slot.at + 1, n, record);
        }
        FillReserved(m_plan.layout, record);
    }

private:
    static size_t Smaller(size_t a, size_t b) { return a < b ? a : b; }

    GatherPlan m_plan;
    const IntFieldsPlan& m_ints;
    size_t m_objectCount = 0;
    GatherSlot m_objects[kMaxRecordFields];
};

const PanelConverter* ConverterFor(const RecordLayout& layout) {
    static const PanelConverter r100(R100BodyLayout());
    static const PanelConverter r120(R120BodyLayout());
    if (&layout == &R100BodyLayout()) return &r100;
    if (&layout == &R120BodyLayout()) return &r120;
    return nullptr;
}

/* ---- the helpers ---- */

struct HelperEntry {
    const RecordLayout* layout;
    jweak panelClass; /* null: the entry is free */
    jweak helper;     /* null: none could be made for this class */
    jmethodID gather;
};

std::mutex g_helperLock;
HelperEntry g_helpers[kHelperEntries];

void Forget(JNIEnv* env, HelperEntry* entry) {
    if (entry->panelClass != nullptr) env->DeleteWeakGlobalRef(entry->panelClass);
    if (entry->helper != nullptr) env->DeleteWeakGlobalRef(entry->helper);
    *entry = HelperEntry();
}

/* The result of a no-argument method of java.lang.Class on `cls`. */
jobject CallClassMethod(JNIEnv* env, jclass cls, const char* name, const char* signature) {
    LocalRef<jclass> classClass(env, env->FindClass("java/lang/Class"));
    if (!classClass) return nullptr;
    jmethodID method = env->GetMethodID(classClass.get(), name, signature);
    if (method == nullptr) return nullptr;
    jobject result = env->CallObjectMethod(cls, method);
    return Failed(env) ? nullptr : result;
}

/* The class's name in the JVM's internal form (a/b/C), or false. */
bool InternalName(JNIEnv* env, jclass cls, std::string* name) {
    LocalRef<jstring> text(env, static_cast<jstring>(CallClassMethod(
                                    env, cls, "getName", "()Ljava/lang/String;")));
    if (!text) return false;
    const char* utf = env->GetStringUTFChars(text.get(), nullptr);
    if (utf == nullptr) return false;
    name->assign(utf);
    env->ReleaseStringUTFChars(text.get(), utf);
    for (char& c : *name)
        if (c == '.') c = '/';
    return true;
}

/* The helper for `panelClass` defined in its class loader, or null with
 * whatever went wrong cleared. Its name is the panel class's own with a
 * suffix per generation, in the same package: package-private fields are
 * readable from there. */
jclass DefineHelper(JNIEnv* env, const PanelConverter& converter, jclass panelClass) {
    std::string panelName;
    if (!InternalName(env, panelClass, &panelName)) return nullptr;
    LocalRef<jobject> loader(env, CallClassMethod(env, panelClass, "getClassLoader",
                                                  "()Ljava/lang/ClassLoader;"));
    if (Failed(env)) return nullptr; /* a null loader is the boot loader */
    const std::string helperName =
        panelName + "$$MakebinGather" + std::to_string(converter.Plan().layout.recordSize);
    std::vector<KS_U8> bytes;
    if (!WriteGatherClass(converter.Plan(), helperName, panelName, &bytes)) return nullptr;
    jclass helper = env->DefineClass(helperName.c_str(), loader.get(),
                                     reinterpret_cast<const jbyte*>(bytes.data()),
                                     static_cast<jsize>(bytes.size()));
    return Failed(env) ? nullptr : helper;
}

/* Fills a free entry for the class: a helper, or the note that none can be
 * had, so that the next call does not try again. */
void MakeEntry(JNIEnv* env, const PanelConverter& converter, jclass panelClass,
               HelperEntry* entry) {
    entry->layout = &converter.Plan().layout;
    entry->panelClass = env->NewWeakGlobalRef(panelClass);
    if (entry->panelClass == nullptr) {
        ClearFailure(env);
        *entry = HelperEntry();
        return;
    }
    LocalRef<jclass> helper(env, DefineHelper(env, converter, panelClass));
    if (helper)
        entry->gather = env->GetStaticMethodID(helper.get(), kGatherMethod, kGatherSignature);
    if (helper && entry->gather != nullptr) entry->helper = env->NewWeakGlobalRef(helper.get());
    ClearFailure(env);
}

/* A local reference to the helper for the class and its method, made on
 * the first call for the class; false where there is none. */
bool FindHelper(JNIEnv* env, const PanelConverter& converter, jclass panelClass,
                LocalRef<jclass>* helper, jmethodID* gather) {
    std::lock_guard<std::mutex> hold(g_helperLock);
    HelperEntry* free = nullptr;
    for (HelperEntry& entry : g_helpers) {
        if (entry.panelClass != nullptr && env->IsSameObject(entry.panelClass, nullptr))
            Forget(env, &entry); /* its class, and so its loader, is gone */
        if (entry.panelClass == nullptr) {
            if (free == nullptr) free = &entry;
            continue;
        }
        if (entry.layout != &converter.Plan().layout ||
            !env->IsSameObject(entry.panelClass, panelClass))
            continue;
        if (entry.helper == nullptr) return false;
        /* The panel class is alive, so is its loader and the helper in it. */
        helper->reset(static_cast<jclass>(env->NewLocalRef(entry.helper)));
        *gather = entry.gather;
        return static_cast<bool>(*helper);
    }
    if (free == nullptr) return false;
    /* Defined under the lock: two threads never define the same name. */
    MakeEntry(env, converter, panelClass, free);
    if (free->helper == nullptr) return false;
    helper->reset(static_cast<jclass>(env->NewLocalRef(free->helper)));
    *gather = free->gather;
    return static_cast<bool>(*helper);
}

/* A helper that failed at run time (a field it may not read, say) is not
 * used for its class again. */
void GiveUpHelper(JNIEnv* env, const RecordLayout& layout, jclass panelClass) {
    std::lock_guard<std::mutex> hold(g_helperLock);
    for (HelperEntry& entry : g_helpers) {
        if (entry.panelClass != nullptr && entry.layout == &layout &&
            env->IsSameObject(entry.panelClass, panelClass) && entry.helper != nullptr) {
            env->DeleteWeakGlobalRef(entry.helper);
            entry.helper = nullptr;
        }
    }
}

/* ---- converting ---- */

/* The elements of a primitive array, held while no other JNI call is made. */
class CriticalArray {
public:
    CriticalArray(JNIEnv* env, jarray array)
        : m_env(env), m_array(array), m_elements(env->GetPrimitiveArrayCritical(array, nullptr)) {}
    ~CriticalArray() {
        if (m_elements != nullptr) m_env->ReleasePrimitiveArrayCritical(m_array, m_elements, JNI_ABORT);
    }
    CriticalArray(const CriticalArray&) = delete;
    CriticalArray& operator=(const CriticalArray&) = delete;
    void* get() const { return m_elements; }

private:
    JNIEnv* m_env;
    jarray m_array;
    void* m_elements;
};

struct Target {
    RecordMapper* mapper;
    jobjectArray array;
    KS_U8* (*next)(void*);
    void* context;

    bool OneByOne(jsize first, jsize end) const {
        return mapper->ElementsToZeroedRecords(array, first, end, next, context);
    }
};

enum class Outcome { kDone, kFailed, kNoArrays };

/* Slots [0, count) of the gathered elements first, first + 1, ...: those
 * gathered from the arrays' elements, the others through JNI. */
Outcome ConvertGathered(JNIEnv* env, const PanelConverter& converter, jintArray ints,
                        jcharArray chars, jsize first, jsize count, const Target& target) {
    const size_t intStride = converter.Plan().intStride;
    const size_t charStride = converter.Plan().charStride;
    jsize k = 0;
    while (k < count) {
        {
            CriticalArray intElements(env, ints);
            CriticalArray charElements(env, chars);
            if (intElements.get() == nullptr || charElements.get() == nullptr) {
                /* Released first: no other JNI call while one is held. */
                return Outcome::kNoArrays;
            }
            const jint* slots = static_cast<const jint*>(intElements.get());
            const jchar* texts = static_cast<const jchar*>(charElements.get());
            for (; k < count && slots[k * intStride] == 1; ++k) {
                KS_U8* record = target.next(target.context);
                if (record == nullptr) return Outcome::kFailed;
                converter.Convert(slots + k * intStride, texts + k * charStride, record);
            }
        }
        if (k < count) {
            if (!target.OneByOne(first + k, first + k + 1)) return Outcome::kFailed;
            ++k;
        }
    }
    return Outcome::kDone;
}

/* Elements [first, count) through the helper, a batch per call. */
bool GatherRange(JNIEnv* env, const PanelConverter& converter, jclass helper, jmethodID gather,
                 jclass panelClass, jsize first, jsize count, const Target& target) {
    const jsize batch = count - first < kPanelsPerGather ? count - first : kPanelsPerGather;
    LocalRef<jintArray> ints(env, env->NewIntArray(batch * jsize{converter.Plan().intStride}));
    LocalRef<jcharArray> chars(env, env->NewCharArray(batch * jsize{converter.Plan().charStride}));
    if (!ints || !chars) {
        ClearFailure(env);
        return target.OneByOne(first, count);
    }
    while (first < count) {
        const jsize want = count - first < batch ? count - first : batch;
        const jint got = env->CallStaticIntMethod(helper, gather, target.array, first, want,
                                                  ints.get(), chars.get());
        if (ClearFailure(env) || got != want) {
            GiveUpHelper(env, converter.Plan().layout, panelClass);
            return target.OneByOne(first, count);
        }
        switch (ConvertGathered(env, converter, ints.get(), chars.get(), first, want, target)) {
            case Outcome::kDone:
                break;
            case Outcome::kFailed:
                return false;
            case Outcome::kNoArrays:
                ClearFailure(env);
                return target.OneByOne(first, count);
        }
        first += want;
    }
    return true;
}

}  // namespace

bool GatherArray(JNIEnv* env, const RecordLayout& layout, jobjectArray array, jsize count,
                 RecordMapper* mapper, KS_U8* (*next)(void*), void* context) {
    const Target target = {mapper, array, next, context};
    if (count <= 0) return true;
    if (!target.OneByOne(0, 1)) return false;
    const PanelConverter* converter = ConverterFor(layout);
    if (count == 1 || converter == nullptr) return target.OneByOne(1, count);

    LocalRef<jobject> element(env, env->GetObjectArrayElement(array, 0));
    LocalRef<jclass> panelClass(env, element ? env->GetObjectClass(element.get()) : nullptr);
    LocalRef<jclass> helper(env, nullptr);
    jmethodID gather = nullptr;
    bool found = false;
    if (panelClass) {
        /* Whatever keeps the helper from being made (no memory for the
         * class bytes, a lock that cannot be had) leaves the JNI path. */
        try {
            found = FindHelper(env, *converter, panelClass.get(), &helper, &gather);
        } catch (...) {
            found = false;
        }
        ClearFailure(env);
    }
    if (!found) return target.OneByOne(1, count);
    return GatherRange(env, *converter, helper.get(), gather, panelClass.get(), 1, count, target);
}
