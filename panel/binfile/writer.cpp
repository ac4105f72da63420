/* Writing a bin file from records, for tools that hold records rather than
 * Java objects. */
#include "panel/binfile/bin_file.h"

#include <string.h>

#include "panel/binfile/image_builder.h"

bool WriteBinFile(const char* path, const KS_PANEL_HEADER_S& header, const void* bodies,
                  size_t count, PanelGeneration generation, BinStatus* status) {
    BinStatus ignored;
    if (status == nullptr) status = &ignored;
    *status = BinStatus();
    if (bodies == nullptr && count != 0) return status->Fail(BinFault::kWrite, "no records given");
    BinImageBuilder image;
    if (!image.Begin(header, generation, status)) return false;
    const KS_U32 size = BodySize(generation);
    const KS_U8* next = static_cast<const KS_U8*>(bodies);
    for (size_t i = 0; i < count; ++i, next += size) {
        KS_U8* record = image.AddPanel();
        if (record == nullptr) return false;
        memcpy(record, next, size);
    }
    return image.WriteTo(path);
}
