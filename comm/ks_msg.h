/* The board-link message: the 12-byte header every request starts with, the
 * two request records a transport is handed, and the little helpers that lay
 * them out on the wire.
 *
 * Request frame: header (12) | data (u16DataLen) | data checksum (4, LE). */
#ifndef KS_MSG_H
#define KS_MSG_H

#include <stddef.h>
#include <string.h>

#include "comm/CommonAlgorithm.h"
#include "base/ks_coding.h"
#include "include/ks_type.h"

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

/* Sets the header fields and seals them with their checksum. */
template <typename MSG>
void KS_MSG_SetHeader(MSG* msg, KS_U32 magic, KS_U16 cmd, KS_U16 dataLen) {
    msg->u32Magic = magic;
    msg->u16Cmd = cmd;
    msg->u16DataLen = dataLen;
    KS_U8 wire[8];
    KS_EncodeU32(wire, magic);
    KS_EncodeLE(wire + 4, cmd, 2);
    KS_EncodeLE(wire + 6, dataLen, 2);
    msg->u32HeadCheckSum = CommonAlgorithm::GetCheckSum(wire, sizeof wire);
}

/* The 12 header bytes, little-endian whatever the host. */
template <typename MSG>
void KS_MSG_PutHeader(const MSG& msg, KS_U8* out) {
    KS_EncodeU32(out, msg.u32Magic);
    KS_EncodeLE(out + 4, msg.u16Cmd, 2);
    KS_EncodeLE(out + 6, msg.u16DataLen, 2);
    KS_EncodeU32(out + 8, msg.u32HeadCheckSum);
}

/* The data and its checksum, as the serial link sends them after the header. */
template <typename MSG>
void KS_MSG_PutDataPart(const MSG& msg, KS_U8* out) {
    if (msg.u16DataLen > 0) memcpy(out, msg.pData, msg.u16DataLen);
    KS_EncodeU32(out + msg.u16DataLen, msg.u32DataCheckSum);
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
