/* makePanelBin's panels read in bulk. A JNI call per field and panel costs
 * more than the conversion itself, so the fields are read by Java code that
 * the JIT compiles: a helper class, written from the field table
 * (panel/gather_class.h) and defined at run time in the class loader of
 * the panels' class, copies the raw values of many panels into two arrays
 * per call. Native code then converts them with the field codec.
 *
 * One helper per panel class and generation, kept for the process but held
 * weakly, so that it never keeps a class loader alive; a class that comes
 * again from a new loader gets a new one. Where no helper can be had (a
 * class it cannot read, a loader that refuses it), and for every element
 * that is null or not exactly of the helper's class, the panels go one by
 * one through JNI as before: the bytes are the same either way. */
#ifndef PANEL_BULK_GATHER_H
#define PANEL_BULK_GATHER_H

#include <jni.h>

#include "include/ks_type.h"
#include "panel/model/field_table.h"

class RecordMapper;

/* What RecordMapper::ArrayToZeroedRecords promises, for `count` elements,
 * with no exception pending on entry. Element 0 always goes through the
 * mapper, which checks its class's fields (NoSuchFieldError as before); the
 * helper is made for that element's class. */
bool GatherArray(JNIEnv* env, const RecordLayout& layout, jobjectArray array, jsize count,
                 RecordMapper* mapper, KS_U8* (*next)(void*), void* context);

#endif
