/* The helper classes, their cache and the conversion of gathered panels. */
#include "panel/java/bulk/bulk_gather.h"

#include <mutex>
#include <string>
#include <vector>

#include "jni/support/jni_ref.h"
#include "panel/model/field_codec.h"
#include "panel/java/bulk/gather_class.h"

namespace {

/* Panels per call of the helper: the two arrays then take some 64 KiB for
 * R120 and stay in the cache while native code converts them. */
const jsize kPanelsPerGather = 64;

/* Helpers kept at once; a class whose loader is gone frees its entry. A
 * process with more panel classes alive converts the others through JNI. */
const size_t kHelperEntries = 16;

/* Gather array pairs kept between calls. Two arrays of 64 panels (72 KiB
 * for R120) made per call land on fresh heap pages in a young JVM, a page
 * fault each; kept, they cost nothing. A pair serves one call at a time; a
 * call that finds none free makes its own. Global references to primitive
 * arrays pin no class loader; the pairs stay for the process, at most this
 * many of them. */
const size_t kKeptPairs = 6;

struct KeptPair {
    const PanelConverter* converter = nullptr; /* null: the entry is free */
    jintArray ints = nullptr;
    jcharArray chars = nullptr;
    bool busy = false;
};

struct KeptPairs {
    std::mutex lock;
    KeptPair pairs[kKeptPairs];
};

KeptPairs& ThePairs() {
    static KeptPairs pairs;
    return pairs;
}

bool Failed(JNIEnv* env) { return env->ExceptionCheck() == JNI_TRUE; }

/* An exception that the library's own attempt raised: the fallback takes
 * over, and the caller must not find it pending. */
bool ClearFailure(JNIEnv* env) {
    if (!Failed(env)) return false;
    env->ExceptionClear();
    return true;
}

}  // namespace

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

namespace {

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

}  // namespace

/* The helper's two arrays for one batch of elements: while they hold
 * elements [first, first + count), Convert takes from them. */
/* The two arrays of one call: a kept pair, or the call's own. */
struct BulkGatherer::Batch {
    explicit Batch(JNIEnv* env) : ownInts(env, nullptr), ownChars(env, nullptr) {}
    ~Batch() {
        if (kept == nullptr) return;
        KeptPairs& pairs = ThePairs();
        std::lock_guard<std::mutex> hold(pairs.lock);
        kept->busy = false;
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    /* A free kept pair of the converter's, or arrays of the call's own,
     * kept for later calls where there is room. False without memory. */
    bool Take(JNIEnv* env, const PanelConverter* converter, jsize panels);

    KeptPair* kept = nullptr;
    LocalRef<jintArray> ownInts;
    LocalRef<jcharArray> ownChars;
    jintArray ints = nullptr;
    jcharArray chars = nullptr;
    jsize first = 0;
    jsize count = 0;
};

bool BulkGatherer::Batch::Take(JNIEnv* env, const PanelConverter* converter, jsize panels) {
    KeptPairs& pairs = ThePairs();
    {
        std::lock_guard<std::mutex> hold(pairs.lock);
        for (KeptPair& pair : pairs.pairs)
            if (pair.converter == converter && !pair.busy) {
                pair.busy = true;
                kept = &pair;
                ints = pair.ints;
                chars = pair.chars;
                return true;
            }
    }
    ownInts.reset(env->NewIntArray(panels * jsize{converter->Plan().intStride}));
    ownChars.reset(env->NewCharArray(panels * jsize{converter->Plan().charStride}));
    if (!ownInts || !ownChars) return false;
    ints = ownInts.get();
    chars = ownChars.get();
    if (panels != kPanelsPerGather) return true; /* only full-size pairs are kept */
    std::lock_guard<std::mutex> hold(pairs.lock);
    for (KeptPair& pair : pairs.pairs) {
        if (pair.converter != nullptr) continue;
        jintArray keptInts = static_cast<jintArray>(env->NewGlobalRef(ints));
        jcharArray keptChars = static_cast<jcharArray>(env->NewGlobalRef(chars));
        if (keptInts == nullptr || keptChars == nullptr) {
            /* Out of memory for references: this call uses its own. */
            if (keptInts != nullptr) env->DeleteGlobalRef(keptInts);
            if (keptChars != nullptr) env->DeleteGlobalRef(keptChars);
            return true;
        }
        pair = {converter, keptInts, keptChars, true};
        kept = &pair;
        ints = keptInts;
        chars = keptChars;
        break;
    }
    return true;
}

BulkGatherer::BulkGatherer(JNIEnv* env, const RecordLayout& layout, jobjectArray array,
                           jsize count)
    : m_env(env), m_array(array), m_count(count), m_converter(ConverterFor(layout)),
      m_helper(env, nullptr), m_panelClass(env, nullptr) {
    if (count <= 1 || m_converter == nullptr) return;
    LocalRef<jobject> element(env, env->GetObjectArrayElement(array, 0));
    m_panelClass.reset(element ? env->GetObjectClass(element.get()) : nullptr);
    if (!m_panelClass) {
        ClearFailure(env);
        return;
    }
    /* Whatever keeps the helper from being made (no memory for the class
     * bytes, a lock that cannot be had) leaves the JNI path. */
    bool found = false;
    try {
        found = FindHelper(env, *m_converter, m_panelClass.get(), &m_helper, &m_gather);
    } catch (...) {
        found = false;
    }
    ClearFailure(env);
    if (!found) return;
    /* A file of many panels takes full batches, which kept pairs serve; a
     * few panels take arrays of their size. */
    const jsize batch = count - 1 < kPanelsPerGather ? count - 1 : kPanelsPerGather;
    m_batch.reset(new Batch(env));
    if (!m_batch->Take(env, m_converter, batch)) {
        ClearFailure(env);
        m_batch.reset();
    }
}

BulkGatherer::~BulkGatherer() = default;

bool BulkGatherer::Fetch(jsize first) {
    const jsize room = m_env->GetArrayLength(m_batch->ints) /
                       jsize{m_converter->Plan().intStride};
    const jsize want = m_count - first < room ? m_count - first : room;
    const jint got = m_env->CallStaticIntMethod(m_helper.get(), m_gather, m_array, first, want,
                                                m_batch->ints, m_batch->chars);
    if (ClearFailure(m_env) || got != want) {
        GiveUpHelper(m_env, m_converter->Plan().layout, m_panelClass.get());
        m_batch.reset();
        return false;
    }
    m_batch->first = first;
    m_batch->count = want;
    return true;
}

BulkGatherer::Step BulkGatherer::Convert(jsize first, KS_U8* (*next)(void*), void* context,
                                         jsize* end) {
    *end = first;
    while (*end < m_count) {
        if (m_batch == nullptr) return Step::kRestOneByOne;
        if (*end < m_batch->first || *end >= m_batch->first + m_batch->count) {
            if (!Fetch(*end)) return Step::kRestOneByOne;
        }
        const size_t intStride = m_converter->Plan().intStride;
        const size_t charStride = m_converter->Plan().charStride;
        CriticalArray intElements(m_env, m_batch->ints);
        CriticalArray charElements(m_env, m_batch->chars);
        if (intElements.get() == nullptr || charElements.get() == nullptr) {
            /* Released on return: no other JNI call while one is held. */
            m_batch.reset();
            return Step::kRestOneByOne;
        }
        const jint* slots = static_cast<const jint*>(intElements.get());
        const jchar* texts = static_cast<const jchar*>(charElements.get());
        const jsize batchEnd = m_batch->first + m_batch->count;
        for (; *end < batchEnd; ++*end) {
            /* 1 marks an element the helper read; any other is not of its class. */
            const jsize k = *end - m_batch->first;
            if (slots[k * intStride] != 1) return Step::kOneByOne;
            KS_U8* record = next(context);
            if (record == nullptr) return Step::kFailed;
            m_converter->Convert(slots + k * intStride, texts + k * charStride, record);
            ++m_gathered;
        }
    }
    return Step::kDone;
}
