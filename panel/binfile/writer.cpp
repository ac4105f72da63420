/* Building a bin file from records, for tools that hold records rather
 * than Java objects: into memory, or straight over a file. */
#include "panel/binfile/bin_file.h"

#include <string.h>

#include "panel/binfile/image_builder.h"

namespace {

/* The image of `count` records in `builder`; false with the reason there. */
bool Build(BinImageBuilder* builder, const KS_PANEL_HEADER_S& header, const void* bodies,
           size_t count, PanelGeneration generation) {
    if (!builder->Begin(header, generation)) return false;
    const KS_U32 size = BodySize(generation);
    const KS_U8* next = static_cast<const KS_U8*>(bodies);
    for (size_t i = 0; i < count; ++i, next += size) {
        KS_U8* record = builder->AddPanel();
        if (record == nullptr) return false;
        memcpy(record, next, size);
    }
    return true;
}

}  // namespace

BinStatus BuildBinImage(const KS_PANEL_HEADER_S& header, const void* bodies, size_t count,
                        PanelGeneration generation, std::vector<KS_U8>* image) {
    BinStatus status;
    if (image == nullptr || (bodies == nullptr && count != 0)) {
        status.Fail(BinFault::kWrite, "no records given");
        return status;
    }
    BinImageBuilder builder;
    if (!Build(&builder, header, bodies, count, generation)) return builder.status();
    image->assign(builder.Image(), builder.Image() + kBinFileSize);
    return status;
}

bool WriteBinFile(const char* path, const KS_PANEL_HEADER_S& header, const void* bodies,
                  size_t count, PanelGeneration generation, BinStatus* status) {
    BinStatus ignored;
    if (status == nullptr) status = &ignored;
    *status = BinStatus();
    if (bodies == nullptr && count != 0) return status->Fail(BinFault::kWrite, "no records given");
    BinImageBuilder builder;
    if (Build(&builder, header, bodies, count, generation) && builder.WriteTo(path)) return true;
    *status = builder.status();
    return false;
}
