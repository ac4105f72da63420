/* Moves values between Java objects and records as a RecordLayout says.
 *
 * A mapper looks the field identifiers up once and keeps them while the
 * objects it sees are of the same class, so an array of 1599 panels costs
 * one lookup per field, not one per field and panel. Nothing outlives the
 * mapper, which lives for one native call on one thread. */
#ifndef PANEL_RECORD_MAPPING_H
#define PANEL_RECORD_MAPPING_H

#include <jni.h>

#include "jni_ref.h"
#include "panel/field_table.h"

class RecordMapper {
public:
    RecordMapper(JNIEnv* env, const RecordLayout& layout);
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

    /* Sets the object's fields from the record, fields found in the layout's
     * named class. Either every field is set or none: false, with the object
     * untouched, for a null object, an object of another class, an exception
     * already pending, or a JVM failure (its exception pending). */
    bool ToObject(const void* record, jobject object);

private:
    bool Bind(LocalRef<jclass> cls);
    bool StoreText(jobject object, const FieldSpec& def, jfieldID id, KS_U8* record);
    bool StoreBytes(jobject object, const FieldSpec& def, jfieldID id, KS_U8* record);
    jobject MakeText(const FieldSpec& def, const KS_U8* record);
    jobject MakeBytes(jobject object, const FieldSpec& def, jfieldID id, const KS_U8* record);

    JNIEnv* m_env;
    const RecordLayout& m_layout;
    LocalRef<jclass> m_class; /* the class m_ids belong to */
    jfieldID m_ids[kMaxRecordFields];
};

#endif
