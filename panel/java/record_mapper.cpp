/* The one conversion engine behind both directions of the Java mapping:
 * every field goes through the same small set of kinds. */
#include "panel/java/record_mapper.h"

#include <string.h>

#include <atomic>
#include <new>
#include <type_traits>

#include "panel/java/bulk/bulk_gather.h"
#include "panel/model/field_codec.h"
#include "panel/model/modified_utf8.h"

namespace {

/* The widest text or byte member (au8I2cData); buffers on the stack hold it. */
const size_t kMaxMemberBytes = 120;

/* Room for the strings and arrays of one object (at most 7) and the
 * references made while they are built. */
const jint kLocalRefsPerObject = 16;

/* Panels converted under one local frame: their references (the element,
 * its class, strings and arrays) go in one PopLocalFrame instead of one
 * DeleteLocalRef each. */
const jsize kPanelsPerFrame = 32;

static_assert(sizeof(jchar) == sizeof(KS_U16), "UTF-16 units");
static_assert(std::is_same<jint, KS_S32>::value, "Java ints go to the field codec as they are");

bool Failed(JNIEnv* env) { return env->ExceptionCheck() == JNI_TRUE; }

/* Field identifiers of one class for one layout, kept for the life of the
 * process: looking 86 fields up by name costs more than converting the
 * panel. The class is held weakly, so it may still be unloaded; the
 * identifiers are used only while IsSameObject finds the class the same.
 * One entry per layout, published once and never changed or freed. */
struct KnownIds {
    jweak cls;
    jfieldID ids[kMaxRecordFields];
};

/* What the process remembers of each of the library's layouts: the
 * identifiers above, and the class the layout names once it was found by
 * name, held weakly, so that an object of exactly that class is known by
 * its class without a lookup through the class loader on every read. Each
 * is published once. */
struct LayoutMemory {
    std::atomic<KnownIds*> ids{nullptr};
    std::atomic<jweak> namedClass{nullptr};
};

LayoutMemory* MemoryOf(const RecordLayout& layout) {
    static LayoutMemory r100, r120, header;
    if (&layout == &R100BodyLayout()) return &r100;
    if (&layout == &R120BodyLayout()) return &r120;
    if (&layout == &PanelHeaderLayout()) return &header;
    return nullptr;
}

void RememberIds(JNIEnv* env, std::atomic<KnownIds*>* slot, jclass cls, const jfieldID* ids,
                 size_t count) {
    if (slot == nullptr || slot->load(std::memory_order_acquire) != nullptr) return;
    KnownIds* entry = new (std::nothrow) KnownIds;
    if (entry == nullptr) return;
    entry->cls = env->NewWeakGlobalRef(cls);
    memcpy(entry->ids, ids, count * sizeof *ids);
    KnownIds* none = nullptr;
    if (entry->cls != nullptr &&
        slot->compare_exchange_strong(none, entry, std::memory_order_acq_rel))
        return;
    /* Another thread was first, or the JVM had no room for the reference. */
    if (entry->cls != nullptr) env->DeleteWeakGlobalRef(entry->cls);
    delete entry;
}

void RememberNamedClass(JNIEnv* env, std::atomic<jweak>* slot, jclass cls) {
    if (slot == nullptr || slot->load(std::memory_order_acquire) != nullptr) return;
    jweak weak = env->NewWeakGlobalRef(cls);
    jweak none = nullptr;
    if (weak != nullptr && !slot->compare_exchange_strong(none, weak, std::memory_order_acq_rel))
        env->DeleteWeakGlobalRef(weak);
}

bool IsObjectField(FieldKind kind) { return kind == FieldKind::kText || kind == FieldKind::kBytes; }

jsize Smaller(jsize length, size_t width) {
    return static_cast<size_t>(length) < width ? length : static_cast<jsize>(width);
}

/* Local references made for one object's fields, by field index. */
class MadeObjects {
public:
    explicit MadeObjects(JNIEnv* env) : m_env(env), m_refs() {}
    MadeObjects(const MadeObjects&) = delete;
    MadeObjects& operator=(const MadeObjects&) = delete;
    ~MadeObjects() {
        for (jobject ref : m_refs)
            if (ref != nullptr) m_env->DeleteLocalRef(ref);
    }
    jobject& operator[](size_t index) { return m_refs[index]; }

private:
    JNIEnv* m_env;
    jobject m_refs[kMaxRecordFields];
};

}  // namespace

RecordMapper::RecordMapper(JNIEnv* env, const RecordLayout& layout)
    : m_env(env), m_layout(layout), m_ids() {}

RecordMapper::~RecordMapper() {
    if (m_class != nullptr) m_env->DeleteLocalRef(m_class);
}

void RecordMapper::Release(jobject ref) {
    if (ref != nullptr && !m_inFrame) m_env->DeleteLocalRef(ref);
}

bool RecordMapper::Bind(jclass cls, bool* adopted) {
    *adopted = false;
    if (cls == nullptr) return false;
    if (m_class != nullptr && m_env->IsSameObject(m_class, cls)) return true;
    const size_t count = FieldCount(m_layout);
    LayoutMemory* memory = MemoryOf(m_layout);
    std::atomic<KnownIds*>* slot = memory != nullptr ? &memory->ids : nullptr;
    const KnownIds* known = slot != nullptr ? slot->load(std::memory_order_acquire) : nullptr;
    if (known != nullptr && m_env->IsSameObject(known->cls, cls)) {
        memcpy(m_ids, known->ids, count * sizeof m_ids[0]);
    } else {
        /* The identifiers of the old class are overwritten: forget it first. */
        if (m_class != nullptr) m_env->DeleteLocalRef(m_class);
        m_class = nullptr;
        bool found = ForEachField(m_layout, [&](size_t i, const FieldSpec& def) {
            m_ids[i] = m_env->GetFieldID(cls, def.name, FieldSignature(def.kind));
            return m_ids[i] != nullptr;
        });
        if (!found) return false;
        RememberIds(m_env, slot, cls, m_ids, count);
    }
    if (m_class != nullptr) m_env->DeleteLocalRef(m_class);
    m_class = cls;
    m_planned = false;
    *adopted = true;
    m_boundInFrame = m_inFrame;
    return true;
}

/* The class of an object or by name, bound; the reference is the mapper's
 * once bound, otherwise released. */
bool RecordMapper::BindClass(jclass cls) {
    bool adopted = false;
    bool bound = Bind(cls, &adopted);
    if (!adopted) Release(cls);
    return bound;
}

bool RecordMapper::ToRecord(jobject object, void* record) {
    if (record == nullptr) return false;
    memset(record, 0, m_layout.recordSize);
    return ToZeroedRecord(object, record);
}

bool RecordMapper::ToZeroedRecord(jobject object, void* record) {
    /* With an exception pending the JVM allows almost no call. */
    if (Failed(m_env)) return false;
    return Convert(object, record);
}

/* ToZeroedRecord once no exception is known to be pending: none of the
 * calls of a successful conversion can raise one. */
bool RecordMapper::Convert(jobject object, void* record) {
    if (object == nullptr || record == nullptr) return false;
    /* The object's own class: a subclass converts with its own fields. */
    if (!BindClass(m_env->GetObjectClass(object))) return false;
    if (!m_planned) Plan();
    KS_U8* bytes = static_cast<KS_U8*>(record);
    /* Locals, not members: the byte stores below may alias anything, so the
     * compiler would reload members and the JNI function table per field. */
    JNIEnv* const env = m_env;
    jint(JNICALL* const getInt)(JNIEnv*, jobject, jfieldID) = env->functions->GetIntField;
    const jfieldID* const ids = m_intIds;
    const size_t intCount = m_intCount;
    jint values[kMaxRecordFields];
    for (size_t i = 0; i < intCount; ++i) values[i] = getInt(env, object, ids[i]);
    m_ints->Store(values, bytes);
    for (size_t i = 0; i < m_objectCount; ++i) {
        const ObjectField& field = m_objects[i];
        bool stored = field.def->kind == FieldKind::kText
                          ? StoreText(object, *field.def, field.id, bytes)
                          : StoreBytes(object, *field.def, field.id, bytes);
        if (!stored) return false;
    }
    FillReserved(m_layout, bytes);
    return true;
}

/* The layout's fields split into ints and objects once per bound class, so
 * the loop per panel runs over exactly the fields of each kind. */
void RecordMapper::Plan() {
    m_ints = IntFieldsOf(m_layout);
    if (m_ints == nullptr) {
        m_ownInts.reset(new IntFieldsPlan(m_layout));
        m_ints = m_ownInts.get();
    }
    m_intCount = m_objectCount = 0;
    ForEachField(m_layout, [&](size_t i, const FieldSpec& def) {
        if (IsObjectField(def.kind)) {
            m_objects[m_objectCount++] = {m_ids[i], &def};
        } else {
            m_intIds[m_intCount++] = m_ids[i];
        }
        return true;
    });
    m_planned = true;
}

bool RecordMapper::ArrayToZeroedRecords(jobjectArray array, KS_U8* (*next)(void*),
                                        void* context) {
    if (array == nullptr || Failed(m_env)) return false;
    const jsize count = m_env->GetArrayLength(array);
    if (count <= 0) return true;
    if (!ElementsToZeroedRecords(array, 0, 1, next, context)) return false;
    BulkGatherer gatherer(m_env, m_layout, array, count);
    for (jsize first = 1; first < count;) {
        jsize end = first;
        switch (gatherer.Convert(first, next, context, &end)) {
            case BulkGatherer::Step::kDone:
                return true;
            case BulkGatherer::Step::kFailed:
                return false;
            case BulkGatherer::Step::kOneByOne:
                if (!ElementsToZeroedRecords(array, end, end + 1, next, context)) return false;
                first = end + 1;
                break;
            case BulkGatherer::Step::kRestOneByOne:
                return ElementsToZeroedRecords(array, end, count, next, context);
        }
    }
    return true;
}

bool RecordMapper::ElementsToZeroedRecords(jobjectArray array, jsize begin, jsize end,
                                           KS_U8* (*next)(void*), void* context) {
    if (Failed(m_env)) return false;
    bool ok = true;
    for (jsize first = begin; ok && first < end; first += kPanelsPerFrame) {
        if (m_env->PushLocalFrame(kPanelsPerFrame * kLocalRefsPerObject) < 0) return false;
        m_inFrame = true;
        m_boundInFrame = false;
        const jsize last = end - first < kPanelsPerFrame ? end : first + kPanelsPerFrame;
        for (jsize i = first; ok && i < last; ++i) {
            KS_U8* record = next(context);
            jobject panel = record != nullptr ? m_env->GetObjectArrayElement(array, i) : nullptr;
            ok = panel != nullptr && Convert(panel, record);
        }
        m_inFrame = false;
        /* A class bound inside the frame must outlive it. */
        jobject kept = m_env->PopLocalFrame(m_boundInFrame ? m_class : nullptr);
        if (m_boundInFrame) m_class = static_cast<jclass>(kept);
        m_boundInFrame = false;
    }
    return ok;
}

bool RecordMapper::ToObject(const void* record, jobject object) {
    if (object == nullptr || record == nullptr || Failed(m_env)) return false;
    if (!BindNamedClass(object)) return false;
    if (m_env->EnsureLocalCapacity(kLocalRefsPerObject) < 0) return false;
    const KS_U8* bytes = static_cast<const KS_U8*>(record);

    /* Strings and arrays first: only they can fail, and a failure must
     * leave the object as it was. */
    MadeObjects made(m_env);
    bool madeAll = ForEachField(m_layout, [&](size_t i, const FieldSpec& def) {
        if (def.kind == FieldKind::kText) made[i] = MakeText(def, bytes);
        if (def.kind == FieldKind::kBytes) made[i] = MakeBytes(object, def, m_ids[i], bytes);
        return !IsObjectField(def.kind) || made[i] != nullptr;
    });
    if (!madeAll) return false;

    return ForEachField(m_layout, [&](size_t i, const FieldSpec& def) {
        if (IsObjectField(def.kind))
            m_env->SetObjectField(object, m_ids[i], made[i]);
        else
            m_env->SetIntField(object, m_ids[i], LoadInt(def, bytes));
        return true;
    });
}

/* The layout's named class, bound, when `object` is an instance of it. */
bool RecordMapper::BindNamedClass(jobject object) {
    LayoutMemory* memory = MemoryOf(m_layout);
    std::atomic<jweak>* slot = memory != nullptr ? &memory->namedClass : nullptr;
    const jweak named = slot != nullptr ? slot->load(std::memory_order_acquire) : nullptr;
    if (named != nullptr) {
        jclass own = m_env->GetObjectClass(object);
        if (own != nullptr && m_env->IsSameObject(own, named)) return BindClass(own);
        Release(own);
    }
    if (!BindClass(m_env->FindClass(m_layout.javaClass))) return false;
    if (!m_env->IsInstanceOf(object, m_class)) return false;
    RememberNamedClass(m_env, slot, m_class);
    return true;
}

/* Modified UTF-8 as the JVM hands it out, cut on a character boundary when
 * it is longer than the member. Only the first `width` characters are
 * converted, into a buffer on the stack: each takes at least one byte, so
 * no more can fit, and a surrogate pair cut by that limit could not fit
 * either (its first half alone needs 3 bytes after width - 1 others). */
bool RecordMapper::StoreText(jobject object, const FieldSpec& def, jfieldID id,
                             KS_U8* record) {
    if (def.width > kMaxMemberBytes) return false;
    jstring text = static_cast<jstring>(m_env->GetObjectField(object, id));
    if (text == nullptr) return true; /* a null String is empty text */
    jsize units = m_env->GetStringLength(text);
    if (units > static_cast<jsize>(def.width)) units = static_cast<jsize>(def.width);
    char utf[3 * kMaxMemberBytes + 1];
    utf[0] = '\0';
    /* Three bytes at most per UTF-16 unit, and the zero the JVM appends.
     * Within the string's length the region raises nothing to check. */
    m_env->GetStringUTFRegion(text, 0, units, utf);
    Release(text);
    ::StoreText(def, utf, strnlen(utf, sizeof utf - 1), record);
    return true;
}

/* Entry k becomes byte k; entries beyond the member are not read, bytes
 * beyond the array stay 0. */
bool RecordMapper::StoreBytes(jobject object, const FieldSpec& def, jfieldID id,
                              KS_U8* record) {
    if (def.width > kMaxMemberBytes) return false;
    jintArray array = static_cast<jintArray>(m_env->GetObjectField(object, id));
    if (array == nullptr) return true; /* a null int[] is an empty array */
    jsize count = Smaller(m_env->GetArrayLength(array), def.width);
    jint values[kMaxMemberBytes];
    /* Within the array's length this region cannot raise anything, so no
     * exception check follows it. */
    m_env->GetIntArrayRegion(array, 0, count, values);
    Release(array);
    ::StoreBytes(def, values, static_cast<size_t>(count), record);
    return true;
}

/* The member's bytes up to the first zero byte. */
jobject RecordMapper::MakeText(const FieldSpec& def, const KS_U8* record) {
    if (def.width > kMaxMemberBytes) return nullptr;
    KS_U16 units[kMaxMemberBytes];
    size_t count = DecodeModifiedUtf8(record + def.offset, TextLength(def, record), units);
    return m_env->NewString(reinterpret_cast<const jchar*>(units), static_cast<jsize>(count));
}

/* A new array as long as the one the object holds (a null one counts as
 * empty); entries beyond the member are 0. */
jobject RecordMapper::MakeBytes(jobject object, const FieldSpec& def, jfieldID id,
                                const KS_U8* record) {
    if (def.width > kMaxMemberBytes) return nullptr;
    jsize length = 0;
    {
        LocalRef<jintArray> old(m_env, static_cast<jintArray>(m_env->GetObjectField(object, id)));
        if (old) length = m_env->GetArrayLength(old.get());
    }
    LocalRef<jintArray> fresh(m_env, m_env->NewIntArray(length));
    if (!fresh) return nullptr; /* OutOfMemoryError pending */
    jsize count = Smaller(length, def.width);
    jint values[kMaxMemberBytes];
    for (jsize k = 0; k < count; ++k) values[k] = record[def.offset + k];
    m_env->SetIntArrayRegion(fresh.get(), 0, count, values);
    if (Failed(m_env)) return nullptr;
    return fresh.release();
}
