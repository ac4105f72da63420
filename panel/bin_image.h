/* A panel bin file loaded for reading: its first 819200 bytes, padded with
 * zero bytes when the file is shorter, with the container attached. */
#ifndef PANEL_BIN_IMAGE_H
#define PANEL_BIN_IMAGE_H

#include "db/ks_db.h"

class BinImage {
public:
    BinImage() = default;
    BinImage(const BinImage&) = delete;
    BinImage& operator=(const BinImage&) = delete;
    ~BinImage();

    /* False when the file cannot be opened or read, or the container
     * rejects its image (no "###" magic, bytes in use above the limit). */
    bool Load(const char* path);

    /* The value of key `key` in table `table`, both under exactly these
     * names, when it holds exactly `size` bytes; otherwise null. A value of
     * another size belongs to another record (a file of the other
     * generation) and must not be read as this one. */
    const KS_U8* Find(const char* table, const char* key, KS_U32 size);

private:
    KS_U8* m_data = nullptr;
    KS_DB_S m_db = {0, nullptr};
};

#endif
