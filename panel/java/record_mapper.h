/* Moves values between Java objects and records as a RecordLayout says.
 *
 * A mapper looks the field identifiers up once and keeps them while the
 * objects it sees are of the same class, so an array of 1599 panels costs
 * one lookup per field, not one per field and panel. The identifiers of the
 * first class seen for each layout are also kept for the process (the class
 * held weakly), so a reader that fills one object per call does not look
 * 86 fields up per call. Everything else lives for one native call on one
 * thread. */
#ifndef PANEL_JAVA_RECORD_MAPPER_H
#define PANEL_JAVA_RECORD_MAPPER_H

#include <jni.h>

#include <memory>

#include "jni/support/jni_ref.h"
#include "panel/model/field_codec.h"
#include "panel/model/field_table.h"

class RecordMapper {
public:
    RecordMapper(JNIEnv* env, const RecordLayout& layout);
    ~RecordMapper();
    RecordMapper(const RecordMapper&) = delete;
    RecordMapper& operator=(const RecordMapper&) = delete;

    /* Fills the whole record (layout.recordSize bytes) from the object, its
     * fields found in the object's own class: bytes that no field writes are
     * 0, reserved words 0xFF. A null String counts as empty text, a null
     * int[] as an empty array. False for a null object, an exception already
     * pending, or with the JVM's exception pending (NoSuchFieldError for a
     * missing field); the record is then incomplete. */
    bool ToRecord(jobject object, void* record);
    /* ToRecord into a record whose bytes are all zero already (a fresh
     * slot of the bin file image): the same result without clearing it. */
    bool ToZeroedRecord(jobject object, void* record);

    /* Every element of the array in order, each into the zeroed record that
     * next(context) returns (null stops the run): what ToZeroedRecord does
     * per element. False at the first element that is null or fails.
     * Elements of the first element's class are read in bulk by a helper
     * class where one can be had (panel/java/bulk/bulk_gather.h); the others, and all
     * of them where none can, one by one through JNI. */
    bool ArrayToZeroedRecords(jobjectArray array, KS_U8* (*next)(void*), void* context);

    /* Sets the object's fields from the record, fields found in the layout's
     * named class. Either every field is set or none: false, with the object
     * untouched, for a null object, an object of another class, an exception
     * already pending, or a JVM failure (its exception pending). */
    bool ToObject(const void* record, jobject object);

private:
    /* Elements [first, end) of the array one by one through JNI, with the
     * local references of many elements released at once. */
    bool ElementsToZeroedRecords(jobjectArray array, jsize first, jsize end,
                                 KS_U8* (*next)(void*), void* context);

    bool Bind(jclass cls, bool* adopted);
    void Plan();
    bool Convert(jobject object, void* record);
    bool BindClass(jclass cls);
    bool BindNamedClass(jobject object);
    void Release(jobject ref);
    bool StoreText(jobject object, const FieldSpec& def, jfieldID id, KS_U8* record);
    bool StoreBytes(jobject object, const FieldSpec& def, jfieldID id, KS_U8* record);
    jobject MakeText(const FieldSpec& def, const KS_U8* record);
    jobject MakeBytes(jobject object, const FieldSpec& def, jfieldID id, const KS_U8* record);

    JNIEnv* m_env;
    const RecordLayout& m_layout;
    jclass m_class = nullptr; /* local reference to the class m_ids belong to */
    bool m_inFrame = false;   /* references made now go with a local frame */
    bool m_boundInFrame = false;
    jfieldID m_ids[kMaxRecordFields];

    /* The bound class's fields by kind, for ToZeroedRecord. */
    struct ObjectField {
        jfieldID id;
        const FieldSpec* def;
    };
    bool m_planned = false;
    size_t m_intCount = 0;
    size_t m_objectCount = 0;
    jfieldID m_intIds[kMaxRecordFields]; /* in the order m_ints takes the values */
    const IntFieldsPlan* m_ints = nullptr;
    std::unique_ptr<IntFieldsPlan> m_ownInts; /* for a layout without a shared plan */
    ObjectField m_objects[kMaxRecordFields];
};

#endif
