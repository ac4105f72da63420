/* Conversion between the Java class DataParam and the panel data bodies of
 * both layout generations. */
#ifndef PANEL_JAVA_BODY_MAPPING_H
#define PANEL_JAVA_BODY_MAPPING_H

#include <jni.h>

#include "include/ks_db.h"
#include "include/ks_unf_panel.h"

extern "C" {

/* Object to record. */
void setPanelParamToR100PanelDataBody(JNIEnv* env, jobject dataParam,
                                      KS_PANEL_DATA_BODY_S_R100* stPanelData);
void setPanelParamToR120PanelDataBody(JNIEnv* env, jobject dataParam,
                                      KS_PANEL_DATA_BODY_S_R120* stPanelData);

/* Every element of the array into key "index<i>" of the table; 0, or -1 when
 * an element could not be converted or inserted. */
KS_S32 GetPanelBobyParamR100(JNIEnv* env, jobjectArray dataParamArray,
                             KS_PANEL_DATA_BODY_S_R100* stPanelData, KS_DB_TABLE_S stTable,
                             KS_DB_KEY_S stKey);
KS_S32 GetPanelBobyParamR120(JNIEnv* env, jobjectArray dataParamArray,
                             KS_PANEL_DATA_BODY_S_R120* stPanelData, KS_DB_TABLE_S stTable,
                             KS_DB_KEY_S stKey);

jobjectArray GetParamArray(JNIEnv* env, jobject basejobj, const char* parpName,
                           const char* paramType);

/* Record to object. */
void getPanelParamFromR100PanelData(JNIEnv* env, jobject dataParam,
                                    const KS_PANEL_DATA_BODY_S_R100& stPanelData);
void getPanelParamFromR120PanelData(JNIEnv* env, jobject dataParam,
                                    const KS_PANEL_DATA_BODY_S_R120& stPanelData);

}  // extern "C"

/* C++ helpers for the library's own callers; unlike the functions above
 * they report every failure (see panel/java/record_mapper.h for the mapper). */
struct RecordLayout;

/* Room for a panel data body of either generation. */
union AnyPanelBody {
    KS_PANEL_DATA_BODY_S_R100 r100;
    KS_PANEL_DATA_BODY_S_R120 r120;
};

/* Converts element i of the array into a freshly zeroed `body` (room for
 * layout.recordSize bytes) and inserts it as key "index<i>" into the table,
 * in array order. 0, or -1 for a null array or element, a failed conversion
 * (the JVM's exception pending) or a full database; the elements after the
 * failing one are not converted. */
KS_S32 InsertPanelBodies(JNIEnv* env, jobjectArray dataParamArray, const RecordLayout& layout,
                         void* body, KS_DB_TABLE_S stTable);

#endif
