/* The contract between the Java model classes and the records: which Java
 * field feeds which bytes of a record, under which JNI signature, and how its
 * value is converted. Both directions of the mapping read these tables and
 * nothing else, so a field is described exactly once per generation. */
#ifndef PANEL_MODEL_FIELD_TABLE_H
#define PANEL_MODEL_FIELD_TABLE_H

#include <stddef.h>

#include "include/ks_type.h"
#include "panel/model/enum_names.h"

enum class FieldKind : KS_U8 {
    kCopy,   /* int <-> 32-bit member, bit pattern unchanged */
    kLow16,  /* int -> low 16 bits; back widened without sign */
    kLow8,   /* int -> low 8 bits; back widened without sign */
    kFlag,   /* int -> TransIDToKsBool; back as stored */
    kOption, /* int -> forward translator; back through the reverse one, if any */
    kText,   /* String <-> zero-padded bytes */
    kBytes,  /* int[] <-> byte member, entry k <-> byte k */
};

typedef KS_U32 (*ToRecordFn)(KS_S32 id);
typedef KS_S32 (*ToJavaFn)(KS_U32 value);

struct FieldSpec {
    const char* name; /* Java field */
    FieldKind kind;
    KS_U16 offset; /* of the member in the record */
    KS_U16 width;  /* of the member in bytes */
    ToRecordFn toRecord = nullptr; /* kOption only */
    ToJavaFn toJava = nullptr;     /* kOption only; null: the value is the identifier */
    /* The enumerators of an enumerated member (options, and the one
     * enumeration copied without a translator), for tools that name them;
     * null for every other member. */
    const EnumNames* names = nullptr;
};

struct FieldTable {
    const FieldSpec* rows;
    size_t count;
};

/* Bytes that no Java field describes but that the writer fills: reserved
 * words get 0xFF bytes. */
struct ByteRange {
    KS_U16 offset;
    KS_U16 width;
};

/* One record as a Java object sees it. A generation's fields come in two
 * tables: those at the same place in both generations, and its own. */
struct RecordLayout {
    const char* javaClass; /* the class the readers look up by name */
    KS_U32 recordSize;
    FieldTable tables[2];
    const ByteRange* reserved;
    size_t reservedCount;
};

/* Every layout has at most this many fields (R120: 85). */
const size_t kMaxRecordFields = 96;

const RecordLayout& R100BodyLayout();
const RecordLayout& R120BodyLayout();
const RecordLayout& PanelHeaderLayout();

/* "I", "Ljava/lang/String;" or "[I". */
const char* FieldSignature(FieldKind kind);

/* Calls visit(index, def) for every field of the layout, index counting
 * across both tables, until a visit returns false; returns whether all
 * visits returned true. */
template <typename Visit>
bool ForEachField(const RecordLayout& layout, Visit visit) {
    size_t index = 0;
    for (const FieldTable& table : layout.tables)
        for (size_t i = 0; i < table.count; ++i)
            if (!visit(index++, table.rows[i])) return false;
    return true;
}

size_t FieldCount(const RecordLayout& layout);

#endif
