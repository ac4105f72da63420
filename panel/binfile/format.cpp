/* The format's rules that are code, not constants: the key name rule, the
 * layout's records written and recognised, and the status that carries the
 * reason for a failure. */
#include "panel/binfile/format.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

/* By hand rather than snprintf: makePanelBin names up to 1599 keys. */
void PanelKeyName(long long n, KS_CHAR (&name)[32]) {
    memset(name, 0, sizeof name);
    memcpy(name, "index", 5);
    size_t at = 5;
    unsigned long long rest = static_cast<unsigned long long>(n);
    if (n < 0) {
        name[at++] = '-';
        rest = 0 - rest;
    }
    char digits[20];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    for (size_t i = 0; i < count; ++i) name[at + i] = digits[count - 1 - i];
}

namespace {

/* A record header: the name zero-padded to 32 bytes, then the size. */
void WriteRecordHeader(KS_U8* at, const char* name, KS_U32 size) {
    memset(at, 0, kDbNameSize);
    memcpy(at, name, strnlen(name, kDbNameSize - 1));
    KS_EncodeU32(at + kDbNameSize, size);
}

bool IsRecordHeader(const KS_U8* at, const char* name, KS_U32 size) {
    KS_U8 expected[kDbRecordHeaderSize];
    WriteRecordHeader(expected, name, size);
    return memcmp(at, expected, sizeof expected) == 0;
}

}  // namespace

void BinLayout::WriteFixedPart(KS_U8* image, const KS_PANEL_HEADER_S& header) const {
    memcpy(image, "###", 4);
    WriteRecordHeader(image + kHeaderTableAt, kHeaderTable,
                      kDbRecordHeaderSize + sizeof header);
    WriteRecordHeader(image + kHeaderKeyAt, kHeaderKey, sizeof header);
    memcpy(image + kHeaderAt, &header, sizeof header);
    WriteRecordHeader(image + kBodyTableAt, kBodyTable, 0);
    SetPanelCount(image, 0);
}

void BinLayout::AddPanelKey(KS_U8* image, KS_U32 panel) const {
    KS_CHAR name[kDbNameSize];
    PanelKeyName(panel, name);
    WriteRecordHeader(image + KeyAt(panel), name, m_bodySize);
    SetPanelCount(image, panel + 1);
}

void BinLayout::SetPanelCount(KS_U8* image, KS_U32 panels) const {
    KS_EncodeU32(image + kDbTotalOffset, UsedSize(panels));
    KS_EncodeU32(image + kBodyTableAt + kDbNameSize, panels * KeyRecordSize());
}

bool BinLayout::IsWritersFixedPart(const KS_U8* head, KS_U32* panels) const {
    const KS_U32 used = KS_DecodeU32(head + kDbTotalOffset);
    if (memcmp(head, "###", 4) != 0 || used < kFixedPartSize ||
        (used - kFixedPartSize) % KeyRecordSize() != 0)
        return false;
    const KS_U32 count = (used - kFixedPartSize) / KeyRecordSize();
    if (!IsRecordHeader(head + kHeaderTableAt, kHeaderTable,
                        kDbRecordHeaderSize + sizeof(KS_PANEL_HEADER_S)) ||
        !IsRecordHeader(head + kHeaderKeyAt, kHeaderKey, sizeof(KS_PANEL_HEADER_S)) ||
        !IsRecordHeader(head + kBodyTableAt, kBodyTable, count * KeyRecordSize()))
        return false;
    *panels = count;
    return true;
}

bool BinLayout::IsPanelKey(const KS_U8* key, KS_U32 panel) const {
    KS_CHAR name[kDbNameSize];
    PanelKeyName(panel, name);
    return IsRecordHeader(key, name, m_bodySize);
}

bool BinStatus::Fail(BinFault code, const char* format, ...) {
    fault = code;
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return false;
}
