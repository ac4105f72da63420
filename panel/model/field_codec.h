/* One field's value between its Java form and its bytes in a record, as a
 * FieldSpec describes it, without a JVM: the rules that makePanelBin and
 * the readers apply. The JNI mapper (panel/java/record_mapper.cpp) and the
 * tools go through these functions, so a record made from JSON holds the
 * bytes that the same values in Java objects give.
 *
 * Records are written into zeroed memory: a text or byte member keeps 0
 * after the bytes stored, as makePanelBin's fresh records do. */
#ifndef PANEL_MODEL_FIELD_CODEC_H
#define PANEL_MODEL_FIELD_CODEC_H

#include <stddef.h>
#include <string.h>

#include "base/ks_coding.h"
#include "panel/model/field_table.h"
#include "include/option_translate.h"

/* Members are little-endian; storing only `width` bytes is what truncates
 * an int into a 16-bit or 8-bit member. The common 4-byte member is one
 * store or load (the codec's KS_EncodeU32 / KS_DecodeU32) rather than a
 * byte loop: the mapper's loop runs per field and panel. */
inline void StoreMember(KS_U8* at, size_t width, KS_U32 value) {
    if (width == 4)
        KS_EncodeU32(at, value);
    else
        KS_EncodeLE(at, value, width);
}

inline KS_U32 LoadMember(const KS_U8* at, size_t width) {
    return width == 4 ? KS_DecodeU32(at) : KS_DecodeLE(at, width);
}

/* The member value of an int field: a flag through TransIDToKsBool, an
 * option through its forward translator, anything else its 32 bits. */
inline KS_U32 ToMember(const FieldSpec& def, KS_S32 value) {
    switch (def.kind) {
        case FieldKind::kFlag:
            return TransIDToKsBool(value);
        case FieldKind::kOption:
            return def.toRecord(value);
        default:
            return static_cast<KS_U32>(value);
    }
}

/* The Java value of an int member: an option with a reverse translator goes
 * through it; everything else, flags included, goes back as stored, so a
 * value that no translator produced still reaches Java unchanged. */
inline KS_S32 ToJava(const FieldSpec& def, KS_U32 member) {
    if (def.kind == FieldKind::kOption && def.toJava != nullptr) return def.toJava(member);
    return static_cast<KS_S32>(member);
}

/* Is the field an int in Java (not a String or an int[])? */
inline bool IsIntField(const FieldSpec& def) {
    return def.kind != FieldKind::kText && def.kind != FieldKind::kBytes;
}

/* The int fields of a layout made ready for many panels. Their values come
 * as one array, in field table order; the fields are grouped by how a value
 * becomes its member, so that a panel's conversion runs a few tight loops
 * instead of a branch per field. Flags and options are translated ahead for
 * the identifiers 0 to kKnownIds - 1: the translators are plain functions of
 * the identifier, and a call per field and panel costs as much as reading
 * the field. */
class IntFieldsPlan {
public:
    explicit IntFieldsPlan(const RecordLayout& layout);

    size_t Count() const { return m_count; }

    /* ToMember of values[i] stored for the i-th int field, for every one. */
    void Store(const KS_S32* values, KS_U8* record) const;

private:
    static const KS_U32 kKnownIds = 8;
    struct Plain {
        KS_U16 value; /* index into the values */
        KS_U16 offset;
        KS_U8 width;
    };
    struct Translated {
        KS_U16 value;
        KS_U16 offset;
        const FieldSpec* def;
        KS_U32 known[kKnownIds];
    };

    size_t m_count = 0;
    size_t m_copyCount = 0;       /* 32 bits as they are */
    size_t m_narrowCount = 0;     /* the low 16 or 8 bits */
    size_t m_translatedCount = 0; /* flags and options of 32 bits */
    size_t m_otherCount = 0;      /* whatever else a table may hold */
    Plain m_copy[kMaxRecordFields];
    Plain m_narrow[kMaxRecordFields];
    Translated m_translated[kMaxRecordFields];
    const FieldSpec* m_other[kMaxRecordFields];
    KS_U16 m_otherValue[kMaxRecordFields];
};

inline void StoreInt(const FieldSpec& def, KS_S32 value, KS_U8* record) {
    StoreMember(record + def.offset, def.width, ToMember(def, value));
}

inline KS_S32 LoadInt(const FieldSpec& def, const KS_U8* record) {
    return ToJava(def, LoadMember(record + def.offset, def.width));
}

/* A text in the JVM's modified UTF-8, cut at a whole character (or
 * surrogate pair) when longer than the member; returns the bytes stored.
 * No terminating zero is written: a text as long as the member fills it. */
size_t StoreText(const FieldSpec& def, const KS_CHAR* modifiedUtf8, size_t length,
                 KS_U8* record);

/* StoreText of the modified UTF-8 that the JVM makes of `count` UTF-16
 * units (GetStringUTFRegion): each unit on its own, U+0000 as C0 80, a
 * surrogate as 3 bytes. `count` is at most the member's width: no more
 * units can fit, each takes at least one byte. */
size_t StoreUtf16Text(const FieldSpec& def, const KS_U16* units, size_t count, KS_U8* record);

/* The bytes of the text in the member: up to its first zero byte, at most
 * the member's width. */
size_t TextLength(const FieldSpec& def, const KS_U8* record);

/* The plan of one of the layouts that field_table.h declares, made once
 * for the process; null for any other layout. */
const IntFieldsPlan* IntFieldsOf(const RecordLayout& layout);

/* Entry k becomes byte k as its low 8 bits; entries beyond the member are
 * not read. */
void StoreBytes(const FieldSpec& def, const KS_S32* values, size_t count, KS_U8* record);

/* Every reserved word of the layout set to 0xFFFFFFFF. */
void FillReserved(const RecordLayout& layout, KS_U8* record);

#endif
