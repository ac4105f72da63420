/* The board-link message: the 12-byte header every request starts with, the
 * two request records a transport is handed, and the little helpers that lay
 * them out on the wire.
 *
 * Request frame: header (12) | data (u16DataLen) | data checksum (4, LE). */
#ifndef KS_MSG_H
#define KS_MSG_H

#include <stddef.h>
#include <string.h>

#include "CommonAlgorithm.h"
#include "ks_type.h"

/* The header goes out as it lies in memory; that is only the wire order on a
 * little-endian host, which both targets are. */
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "frame layout assumes little endian");

enum {
    KS_MSG_HEAD_LEN = 12,
    KS_MSG_SUM_LEN = 4,
    KS_MSG_MAX_DATA_LEN = 0xFFFF /* the header's 16-bit length field */
};

/* "KSTV" read as a little-endian word, so it goes out as those four bytes. */
const KS_U32 KS_MSG_DEFAULT_MAGIC = 0x5654534Bu;

typedef struct ksWRITE_MSG {
    KS_U32 u32Magic;
    KS_U16 u16Cmd;
    KS_U16 u16DataLen;
    KS_U32 u32HeadCheckSum;
    const KS_U8* pData;
    KS_U32 u32DataCheckSum;
} KS_WRITE_MSG;

typedef struct ksREAD_MSG {
    KS_U32 u32Magic;
    KS_U16 u16Cmd;
    KS_U16 u16DataLen;
    KS_U32 u32HeadCheckSum;
    const KS_U8* pData;
    KS_U32 u32DataCheckSum;
    KS_U16 u16RecvLen;
    KS_U8* pRecvData;
    KS_U32 u32RecvCheckSum;
} KS_READ_MSG;

static_assert(offsetof(KS_READ_MSG, u32HeadCheckSum) == 8, "header fields must be packed");
static_assert(offsetof(KS_WRITE_MSG, u32HeadCheckSum) == 8, "header fields must be packed");

inline void KS_MSG_PutU32(KS_U8* out, KS_U32 value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<KS_U8>(value >> (8 * i));
}

inline KS_U32 KS_MSG_GetU32(const KS_U8* in) {
    return static_cast<KS_U32>(in[0]) | static_cast<KS_U32>(in[1]) << 8 |
           static_cast<KS_U32>(in[2]) << 16 | static_cast<KS_U32>(in[3]) << 24;
}

/* Sets the header fields and seals them with their checksum. */
template <typename MSG>
void KS_MSG_SetHeader(MSG* msg, KS_U32 magic, KS_U16 cmd, KS_U16 dataLen) {
    msg->u32Magic = magic;
    msg->u16Cmd = cmd;
    msg->u16DataLen = dataLen;
    msg->u32HeadCheckSum = CommonAlgorithm::GetCheckSum(msg, 8);
}

template <typename MSG>
void KS_MSG_PutHeader(const MSG& msg, KS_U8* out) {
    memcpy(out, &msg, KS_MSG_HEAD_LEN);
}

/* The data and its checksum, as the serial link sends them after the header. */
template <typename MSG>
void KS_MSG_PutDataPart(const MSG& msg, KS_U8* out) {
    if (msg.u16DataLen > 0) memcpy(out, msg.pData, msg.u16DataLen);
    KS_MSG_PutU32(out + msg.u16DataLen, msg.u32DataCheckSum);
}

/* The whole request frame, u16DataLen + 16 bytes. */
template <typename MSG>
void KS_MSG_PutFrame(const MSG& msg, KS_U8* out) {
    KS_MSG_PutHeader(msg, out);
    KS_MSG_PutDataPart(msg, out + KS_MSG_HEAD_LEN);
}

template <typename MSG>
size_t KS_MSG_FrameLen(const MSG& msg) {
    return static_cast<size_t>(msg.u16DataLen) + KS_MSG_HEAD_LEN + KS_MSG_SUM_LEN;
}

#endif
