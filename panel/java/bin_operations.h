/* Panel bin files: the writer and the two readers behind the bin-file
 * native methods. */
#ifndef PANEL_JAVA_BIN_OPERATIONS_H
#define PANEL_JAVA_BIN_OPERATIONS_H

#include <jni.h>

#include "include/ks_unf_panel.h"

extern "C" {

KS_S32 MakePanelBin(JNIEnv* env, jobject jobj, jobject headerParam, jobjectArray dataParamArray,
                    jstring fileName, jstring chipSeries);
void GetPanelHeaderParam(JNIEnv* env, jobject headerParam, KS_PANEL_HEADER_S* stPanelHeader);
jobject ReadPanelHeader(JNIEnv* env, jobject jobj, jobject headerParam, jstring fileName,
                        jstring chipSeries);
jobject ReadPanelBody(JNIEnv* env, jobject jobj, jobject dataParam, jint panelIndex,
                      jstring fileName, jstring chipSeries);

}  // extern "C"

#endif
