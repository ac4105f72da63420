/* A caller of the installed library's C functions, built once as C11 (with
 * pkg-config) and once as C++17 (with find_package). It includes every
 * installed header and exits non-zero when the library answers wrongly. */
#include <stdio.h>
#include <string.h>

#include "Communication_c.h"
#include "ks_db.h"
#include "ks_type.h"
#include "ks_unf_panel.h"
#include "makebin_version.h"
#include "option_translate.h"

static int failed(int ok, const char* what) {
    if (!ok) fprintf(stderr, "consumer: %s\n", what);
    return !ok;
}

/* Stores a key in a new container and finds it again by name. */
static int container_round_trip(void) {
    char chip[] = "R100", tableName[] = "panels", keyName[] = "index0";
    KS_U8 value[4] = {1, 2, 3, 4};
    KS_DB_S db = {0, NULL};
    KS_DB_TABLE_S table, found;
    KS_DB_KEY_S key, back;
    int ok;

    KS_DB_SetMaxDBSize(chip);
    if (KS_DB_Create(&db) != 0) return 0;
    memset(&table, 0, sizeof table);
    memset(&key, 0, sizeof key);
    memset(&back, 0, sizeof back);
    strcpy(table.Name, tableName);
    strcpy(key.Name, keyName);
    key.u32ValueSize = sizeof value;
    key.pValue = value;
    ok = KS_DB_InsertTable(&db, &table) == 0 && KS_DB_InsertKey(&table, &key) == 0 &&
         KS_DB_GetTableByName(&db, tableName, &found) == 0 &&
         KS_DB_GetKeyByName(&found, keyName, &back) == 0 && back.u32ValueSize == sizeof value &&
         memcmp(back.pValue, value, sizeof value) == 0;
    KS_DB_Destroy(&db);
    return ok;
}

int main(void) {
    int failures = failed(strcmp(makebin_version(), MAKEBIN_VERSION) == 0,
                          "library version differs from the headers'");
    failures += failed(TransIDToEnLvdsFmt(1) == KS_UNF_PANEL_LVDS_FMT_JEIDA,
                       "option 1 is not JEIDA");
    failures += failed(GetStrErr() == NULL, "a failure text before any link");
    failures += failed(container_round_trip(), "container round trip");
    printf("makebin %s (headers %s): %s\n", makebin_version(), MAKEBIN_VERSION,
           failures ? "FAILED" : "ok");
    return failures != 0;
}
