/* Speed-up for makePanelBin: the 819200-byte buffers that bin file images
 * are built in, kept for the next image. A buffer made afresh is fresh
 * memory: the first write to each of its 200 pages is a page fault, and its
 * release gives the pages back, so every image would pay for them again. A
 * kept buffer is cleared only as far as its last image reached. */
#ifndef PANEL_BINFILE_SPEEDUP_BUFFER_POOL_H
#define PANEL_BINFILE_SPEEDUP_BUFFER_POOL_H

#include "include/ks_type.h"

/* kBinFileSize bytes, all zero; null without memory. Safe from any thread. */
KS_U8* TakeImageBuffer();

/* Gives a buffer of TakeImageBuffer back; only its first `dirty` bytes may
 * be other than zero. Null is ignored. */
void ReturnImageBuffer(KS_U8* buffer, KS_U32 dirty);

#endif
