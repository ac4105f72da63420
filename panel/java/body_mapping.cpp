/* DataParam objects to panel data bodies and back, for both generations;
 * what moves where is in panel/model/field_table.cpp. */
#include "panel/java/body_mapping.h"

#include <stdio.h>
#include <string.h>

#include "base/entry_guard.h"
#include "jni/support/jni_ref.h"
#include "panel/binfile/format.h"
#include "panel/model/field_table.h"
#include "panel/java/record_mapper.h"

KS_S32 InsertPanelBodies(JNIEnv* env, jobjectArray dataParamArray, const RecordLayout& layout,
                         void* body, KS_DB_TABLE_S stTable) {
    if (dataParamArray == nullptr || body == nullptr) return -1;
    RecordMapper mapper(env, layout);
    jsize count = env->GetArrayLength(dataParamArray);
    for (jsize i = 0; i < count; ++i) {
        LocalRef<jobject> panel(env, env->GetObjectArrayElement(dataParamArray, i));
        if (!panel || !mapper.ToRecord(panel.get(), body)) return -1;
        /* The reader finds panel i under this name; keys go in ascending
         * order so that a prefix lookup of index1 meets index1 first. */
        KS_DB_KEY_S key;
        memset(&key, 0, sizeof key);
        PanelKeyName(i, key.Name);
        key.u32ValueSize = layout.recordSize;
        key.pValue = body;
        if (KS_DB_InsertKey(&stTable, &key) != 0) return -1;
    }
    return 0;
}

void setPanelParamToR100PanelDataBody(JNIEnv* env, jobject dataParam,
                                      KS_PANEL_DATA_BODY_S_R100* stPanelData) {
    /* A failure leaves the JVM's exception pending, or concerns a null
     * argument; callers that must know use RecordMapper. */
    GuardedEntry([&] { RecordMapper(env, R100BodyLayout()).ToRecord(dataParam, stPanelData); });
}

void setPanelParamToR120PanelDataBody(JNIEnv* env, jobject dataParam,
                                      KS_PANEL_DATA_BODY_S_R120* stPanelData) {
    GuardedEntry([&] { RecordMapper(env, R120BodyLayout()).ToRecord(dataParam, stPanelData); });
}

KS_S32 GetPanelBobyParamR100(JNIEnv* env, jobjectArray dataParamArray,
                             KS_PANEL_DATA_BODY_S_R100* stPanelData, KS_DB_TABLE_S stTable,
                             KS_DB_KEY_S stKey) {
    (void)stKey; /* every field of the key is set per element */
    return GuardedEntry<KS_S32>(-1, [&] {
        return InsertPanelBodies(env, dataParamArray, R100BodyLayout(), stPanelData, stTable);
    });
}

KS_S32 GetPanelBobyParamR120(JNIEnv* env, jobjectArray dataParamArray,
                             KS_PANEL_DATA_BODY_S_R120* stPanelData, KS_DB_TABLE_S stTable,
                             KS_DB_KEY_S stKey) {
    (void)stKey;
    return GuardedEntry<KS_S32>(-1, [&] {
        return InsertPanelBodies(env, dataParamArray, R120BodyLayout(), stPanelData, stTable);
    });
}

jobjectArray GetParamArray(JNIEnv* env, jobject basejobj, const char* parpName,
                           const char* paramType) {
    return GuardedEntry<jobjectArray>(nullptr, [&]() -> jobjectArray {
        if (basejobj == nullptr || parpName == nullptr || paramType == nullptr) return nullptr;
        LocalRef<jclass> cls(env, env->GetObjectClass(basejobj));
        jfieldID field = env->GetFieldID(cls.get(), parpName, paramType);
        if (field == nullptr) return nullptr; /* NoSuchFieldError pending */
        return static_cast<jobjectArray>(env->GetObjectField(basejobj, field));
    });
}

void getPanelParamFromR100PanelData(JNIEnv* env, jobject dataParam,
                                    const KS_PANEL_DATA_BODY_S_R100& stPanelData) {
    GuardedEntry([&] { RecordMapper(env, R100BodyLayout()).ToObject(&stPanelData, dataParam); });
}

void getPanelParamFromR120PanelData(JNIEnv* env, jobject dataParam,
                                    const KS_PANEL_DATA_BODY_S_R120& stPanelData) {
    GuardedEntry([&] { RecordMapper(env, R120BodyLayout()).ToObject(&stPanelData, dataParam); });
}
