/* The class file of a gather helper: Java code that copies the raw values
 * of many panels into two plain arrays in one call, so that native code
 * reads them without a JNI call per field. It is written from the field
 * table, like everything else that knows the Java contract:
 *
 *   static int gather(Object[] panels, int first, int count, int[] ints, char[] chars)
 *
 * Element first + k (k < count) is gathered into slot k: ints[k * intStride]
 * onwards and chars[k * charStride] onwards. Returns count. */
#ifndef PANEL_JAVA_BULK_GATHER_CLASS_H
#define PANEL_JAVA_BULK_GATHER_CLASS_H

#include <stddef.h>

#include <string>
#include <vector>

#include "include/ks_type.h"
#include "panel/model/field_table.h"

/* Where one field's values sit in a panel's slot.
 * - int field: ints[at] is its value;
 * - String: ints[at] is the number n of UTF-16 units taken (at most the
 *   member's width: no more can fit; 0 for null), chars[text, text + n)
 *   the units;
 * - int[]: ints[at] is the number n of entries taken (at most the member's
 *   width; 0 for null), ints[at + 1, at + 1 + n) the entries.
 * The int fields come first, side by side from ints[1] in field table
 * order, so that their values are what IntFieldsPlan::Store takes.
 * ints[0] of a slot is 1 for an element that was gathered, 0 for a null
 * element or one of another class than the helper's, which native code
 * then converts through JNI. */
struct GatherSlot {
    const FieldSpec* def;
    KS_U16 at;
    KS_U16 text;
};

struct GatherPlan {
    explicit GatherPlan(const RecordLayout& layout);

    const RecordLayout& layout;
    size_t count; /* of slots, one per field: the ints, then the others */
    GatherSlot slots[kMaxRecordFields];
    KS_U16 intStride;
    KS_U16 charStride;
};

extern const char kGatherMethod[];
extern const char kGatherSignature[];

/* The class `helperName`, whose gather reads the fields of objects whose
 * class is exactly `panelClass` (both in the JVM's internal form, a/b/C,
 * modified UTF-8). Class file version 49, whose verifier needs no stack
 * map frames for the loop. False for a name too long for a class file. */
bool WriteGatherClass(const GatherPlan& plan, const std::string& helperName,
                      const std::string& panelClass, std::vector<KS_U8>* out);

#endif
