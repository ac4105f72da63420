/* The one way a panel bin file image is built, for makePanelBin and for
 * WriteBinFile: the records where BinLayout (panel/binfile/format.h) puts
 * them, table "panelheader" with key "header", then table "paneldatabody"
 * with keys index0, index1, ... whose values the caller writes in place,
 * then zero bytes to 819200; written whole or not at all. */
#ifndef PANEL_BINFILE_IMAGE_BUILDER_H
#define PANEL_BINFILE_IMAGE_BUILDER_H

#include "panel/binfile/bin_file.h"

class BinImageBuilder {
public:
    BinImageBuilder() = default;
    ~BinImageBuilder();
    BinImageBuilder(const BinImageBuilder&) = delete;
    BinImageBuilder& operator=(const BinImageBuilder&) = delete;

    /* A fresh image holding the header and an empty body table. */
    bool Begin(const KS_PANEL_HEADER_S& header, PanelGeneration generation);

    /* Appends key index<n> for the next panel and returns its value inside
     * the image: BodySize bytes, all zero, to be filled by the caller. Null
     * (status kTooManyPanels) when the panel does not fit. */
    KS_U8* AddPanel();

    /* Replaces the file with the image (ReplaceFileContents). */
    bool WriteTo(const char* path);

    /* The finished image, kBinFileSize bytes; null before Begin succeeded. */
    const KS_U8* Image() const { return m_image; }

    /* Why the last step failed; each object keeps its own, so a step taken
     * without Begin reports that instead of reaching for a missing one. */
    const BinStatus& status() const { return m_status; }

private:
    void Release();

    KS_U8* m_image = nullptr;
    BinLayout m_layout{PanelGeneration::kR100};
    KS_U32 m_panels = 0;
    BinStatus m_status;
};

#endif
