/* The panel bin file writer and readers.
 *
 * Image: table "panelheader" with key "header" (the 16-byte header record),
 * then table "paneldatabody" with keys index0, index1, ... (one body record
 * per panel, 476 bytes for R100, 632 for R120), zero bytes to 819200. */
#include "panel/panel_bin.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "com_kestrel_vimora_jni_JNIMakeBin.h"
#include "jni_ref.h"
#include "db/ks_db.h"
#include "panel/atomic_file.h"
#include "panel/bin_image.h"
#include "panel/field_table.h"
#include "panel/panel_mapping.h"
#include "panel/record_mapping.h"

namespace {

const char kHeaderTable[] = "panelheader";
const char kHeaderKey[] = "header";
const char kBodyTable[] = "paneldatabody";

/* A database under construction, destroyed on every path. */
class PanelDb {
public:
    PanelDb() : m_db{0, nullptr} {}
    PanelDb(const PanelDb&) = delete;
    PanelDb& operator=(const PanelDb&) = delete;
    ~PanelDb() { KS_DB_Destroy(&m_db); }

    bool Create() { return KS_DB_Create(&m_db) == 0; }
    KS_DB_S* Get() { return &m_db; }
    /* The whole buffer: the used region, then the zero bytes the container
     * keeps after it, so it is the file as it must be written. */
    const KS_U8* Image() const { return m_db.pData; }

private:
    KS_DB_S m_db;
};

bool InsertTable(KS_DB_S* db, const char* name, KS_DB_TABLE_S* table) {
    memset(table, 0, sizeof *table);
    strncpy(table->Name, name, sizeof table->Name);
    return KS_DB_InsertTable(db, table) == 0;
}

bool InsertHeader(JNIEnv* env, jobject headerParam, KS_DB_S* db) {
    KS_DB_TABLE_S table;
    KS_PANEL_HEADER_S header;
    if (!InsertTable(db, kHeaderTable, &table) ||
        !RecordMapper(env, PanelHeaderLayout()).ToRecord(headerParam, &header))
        return false;
    KS_DB_KEY_S key;
    memset(&key, 0, sizeof key);
    strncpy(key.Name, kHeaderKey, sizeof key.Name);
    key.u32ValueSize = sizeof header;
    key.pValue = &header;
    return KS_DB_InsertKey(&table, &key) == 0;
}

bool BuildImage(JNIEnv* env, jobject headerParam, jobjectArray dataParamArray,
                const char* chipSeries, KS_DB_S* db) {
    if (!InsertHeader(env, headerParam, db)) return false;
    KS_DB_TABLE_S bodies;
    if (!InsertTable(db, kBodyTable, &bodies)) return false;
    AnyPanelBody body;
    return InsertPanelBodies(env, dataParamArray, BodyLayoutFor(chipSeries), &body, bodies) == 0;
}

}  // namespace

KS_S32 MakePanelBin(JNIEnv* env, jobject jobj, jobject headerParam, jobjectArray dataParamArray,
                    jstring fileName, jstring chipSeries) {
    (void)jobj;
    /* A call that wrote nothing must not look like success: an unusable
     * name or chip series is -1, as is every other failure. */
    ConvertedText file(JStringToWindows(env, fileName));
    if (!file) return -1;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (!chip || headerParam == nullptr || dataParamArray == nullptr) return -1;

    KS_DB_SetMaxDBSize(chip.get());
    PanelDb db;
    if (!db.Create() || !BuildImage(env, headerParam, dataParamArray, chip.get(), db.Get()))
        return -1;
    /* The file is touched only once the whole image stands, and then
     * replaced whole or not at all. */
    return ReplaceFileContents(file.get(), db.Image(), KS_DB_IMAGE_SIZE) ? 0 : -1;
}

void GetPanelHeaderParam(JNIEnv* env, jobject headerParam, KS_PANEL_HEADER_S* stPanelHeader) {
    /* A failure leaves the JVM's exception pending or concerns a null
     * argument; the writer uses the mapper and sees it. */
    RecordMapper(env, PanelHeaderLayout()).ToRecord(headerParam, stPanelHeader);
}

jobject ReadPanelHeader(JNIEnv* env, jobject jobj, jobject headerParam, jstring fileName,
                        jstring chipSeries) {
    (void)jobj;
    ConvertedText file(JStringToWindows(env, fileName));
    if (!file) return nullptr;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (!chip || headerParam == nullptr) return nullptr;

    KS_DB_SetMaxDBSize(chip.get());
    BinImage image;
    if (!image.Load(file.get())) return nullptr;
    const KS_U8* header = image.Find(kHeaderTable, kHeaderKey, sizeof(KS_PANEL_HEADER_S));
    if (header == nullptr || !RecordMapper(env, PanelHeaderLayout()).ToObject(header, headerParam))
        return nullptr;
    return headerParam;
}

jobject ReadPanelBody(JNIEnv* env, jobject jobj, jobject dataParam, jint panelIndex,
                      jstring fileName, jstring chipSeries) {
    (void)jobj;
    ConvertedText file(JStringToWindows(env, fileName));
    if (!file) return nullptr;
    ConvertedText chip(JStringToWindows(env, chipSeries));
    if (!chip || dataParam == nullptr) return nullptr;

    KS_DB_SetMaxDBSize(chip.get());
    const RecordLayout& layout = BodyLayoutFor(chip.get());
    BinImage image;
    if (!image.Load(file.get())) return nullptr;
    char key[32];
    snprintf(key, sizeof key, "index%d", static_cast<int>(panelIndex));
    /* The value must be a body of the chip series' generation: a file read
     * as the other one would otherwise yield a panel made of neighbouring
     * records. */
    const KS_U8* body = image.Find(kBodyTable, key, layout.recordSize);
    if (body == nullptr || !RecordMapper(env, layout).ToObject(body, dataParam)) return nullptr;
    return dataParam;
}
