/* Building a panel bin file image by its layout and writing it out. */
#include "panel/binfile/image_builder.h"

#include <errno.h>
#include <string.h>

#include "base/atomic_file.h"
#include "panel/binfile/speedup_buffer_pool.h"

BinImageBuilder::~BinImageBuilder() { Release(); }

void BinImageBuilder::Release() {
    ReturnImageBuffer(m_image, m_image == nullptr ? 0 : m_layout.UsedSize(m_panels));
    m_image = nullptr;
}

bool BinImageBuilder::Begin(const KS_PANEL_HEADER_S& header, PanelGeneration generation) {
    m_status = BinStatus();
    Release();
    m_layout = BinLayout(generation);
    m_panels = 0;
    KS_DB_SetMaxDBSize(const_cast<char*>(GenerationName(generation)));
    m_image = TakeImageBuffer();
    if (m_image == nullptr)
        return m_status.Fail(BinFault::kNoMemory, "no memory for the %u-byte image", kBinFileSize);
    m_layout.WriteFixedPart(m_image, header);
    return true;
}

KS_U8* BinImageBuilder::AddPanel() {
    if (m_image == nullptr) {
        m_status.Fail(BinFault::kWrite, "no image was built");
        return nullptr;
    }
    if (m_panels == m_layout.Capacity()) {
        m_status.Fail(BinFault::kTooManyPanels,
                      "panel %u does not fit: a file holds at most %u panels of %u bytes",
                      m_panels, m_layout.Capacity(), m_layout.bodySize());
        return nullptr;
    }
    m_layout.AddPanelKey(m_image, m_panels);
    return m_image + m_layout.BodyAt(m_panels++);
}

bool BinImageBuilder::WriteTo(const char* path) {
    /* The whole buffer: the used region, then the zero bytes after it, so
     * it is the file as it must be written. */
    if (m_image == nullptr) return m_status.Fail(BinFault::kWrite, "no image was built");
    if (ReplaceFileContents(path, m_image, kBinFileSize)) return true;
    return m_status.Fail(BinFault::kWrite, "cannot write %s: %s", path, strerror(errno));
}
