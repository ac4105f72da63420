/* A C11 client of the library: every header that declares exported C
 * functions compiles as C, the records keep their layout there, and the
 * library's calls to its own exports stay inside it even when the program
 * defines a function of the same name. Exit status 0 when all holds. */
#include <stdio.h>

#include "board/panel_transfer.h"
#include "board/panel_commands.h"
#include "jni/com_kestrel_vimora_jni_JNIMakeBin.h"
#include "jni/support/jni_strings.h"
#include "include/Communication_c.h"
#include "include/ks_db.h"
#include "base/ks_coding.h"
#include "include/ks_type.h"
#include "include/ks_unf_panel.h"
#include "include/option_translate.h"

_Static_assert(sizeof(KS_BOOL) == 4, "a bool is 4 bytes");
_Static_assert(sizeof(KS_UNF_PANEL_LVDS_LINKMAP_E) == 4, "an enumeration is 4 bytes");
_Static_assert(sizeof(KS_UNF_PANEL_INFO_S_R100) == 324, "R100 panel info");
_Static_assert(sizeof(KS_UNF_PANEL_INFO_S_R120) == 364, "R120 panel info");
_Static_assert(sizeof(KS_PANEL_DATA_BODY_S_R100) == 476, "R100 body");
_Static_assert(sizeof(KS_PANEL_DATA_BODY_S_R120) == 632, "R120 body");

/* Same name as the library's export: the library's ReadMSGWithoutCmd must
 * still reach its own ReadMSG, not this one. */
int ReadMSG(const void* data, int dataLen, void* recvBuf, int recvLen, int magic, int cmd) {
    (void)data, (void)dataLen, (void)recvBuf, (void)recvLen, (void)magic, (void)cmd;
    return 42;
}

static int failures;

static void Expect(int condition, const char* what) {
    if (!condition) {
        printf("failed: %s\n", what);
        ++failures;
    }
}

int main(void) {
    unsigned char request[4] = {0, 0, 0, 0};
    unsigned char reply[4];
    Expect(GetStrErr() == NULL, "no failure text before any start");
    Expect(EndConnection() == 0, "no link to end before any start");
    Expect(ReadMSGWithoutCmd(request, 4, reply, 4) == 0, "the library's own ReadMSG refused");
    Expect(TransIDToKsBool(1) == KS_TRUE && TransKsBoolToID(KS_TRUE) == 1, "bool translators");
    Expect(KS_DecodeU32((const KS_U8*)"KSTV") == 0x5654534Bu, "little-endian codec");
    printf("%s\n", failures == 0 ? "C client ok" : "C client failed");
    return failures == 0 ? 0 : 1;
}
