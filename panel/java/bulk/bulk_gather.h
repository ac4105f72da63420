/* Speed-up for makePanelBin: its panels read in bulk. A JNI call per field and panel costs
 * more than the conversion itself, so the fields are read by Java code that
 * the JIT compiles: a helper class, written from the field table
 * (panel/java/bulk/gather_class.h) and defined at run time in the class loader of
 * the panels' class, copies the raw values of many panels into two arrays
 * per call. Native code then converts them with the field codec.
 *
 * One helper per panel class and generation, kept for the process but held
 * weakly, so that it never keeps a class loader alive; a class that comes
 * again from a new loader gets a new one. Where no helper can be had (a
 * class it cannot read, a loader that refuses it), and for every element
 * that is null or not exactly of the helper's class, the panels go one by
 * one through JNI: the bytes are the same either way. */
#ifndef PANEL_JAVA_BULK_BULK_GATHER_H
#define PANEL_JAVA_BULK_BULK_GATHER_H

#include <jni.h>
#include <stddef.h>

#include <memory>

#include "include/ks_type.h"
#include "jni/support/jni_ref.h"
#include "panel/model/field_table.h"

class PanelConverter;

/* Converts the array's elements that the helper can read, and tells the
 * caller which ones it must convert itself, one by one through JNI.
 * Element 0 is always the caller's: converting it first checks its class's
 * fields (NoSuchFieldError, as one by one), and the helper is made for that
 * element's class. Made with no exception pending; one per array. */
class BulkGatherer {
public:
    BulkGatherer(JNIEnv* env, const RecordLayout& layout, jobjectArray array, jsize count);
    ~BulkGatherer();
    BulkGatherer(const BulkGatherer&) = delete;
    BulkGatherer& operator=(const BulkGatherer&) = delete;

    enum class Step {
        kDone,          /* every element from `first` on is converted */
        kOneByOne,      /* element *end is the caller's; call again from *end + 1 */
        kRestOneByOne,  /* elements from *end on are all the caller's */
        kFailed,        /* next() gave no record */
    };
    /* Converts elements first, first + 1, ... in order, each into the zeroed
     * record next(context) returns, up to the element *end it stops at. */
    Step Convert(jsize first, KS_U8* (*next)(void*), void* context, jsize* end);

    /* Elements converted from the helper's arrays so far: how tests tell
     * that the bulk path was taken. */
    size_t gathered() const { return m_gathered; }

private:
    struct Batch;
    bool Fetch(jsize first);

    JNIEnv* m_env;
    jobjectArray m_array;
    jsize m_count;
    const PanelConverter* m_converter;
    LocalRef<jclass> m_helper;
    LocalRef<jclass> m_panelClass;
    jmethodID m_gather = nullptr;
    std::unique_ptr<Batch> m_batch; /* null: no helper, every element the caller's */
    size_t m_gathered = 0;
};

#endif
