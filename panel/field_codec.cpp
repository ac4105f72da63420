/* The per-field conversion rules shared by the JNI mapper and the tools. */
#include "panel/field_codec.h"

#include <string.h>

#include "panel/modified_utf8.h"

size_t StoreText(const FieldSpec& def, const KS_CHAR* modifiedUtf8, size_t length,
                 KS_U8* record) {
    size_t stored = WholeCharacterPrefix(modifiedUtf8, length, def.width);
    memcpy(record + def.offset, modifiedUtf8, stored);
    return stored;
}

size_t TextLength(const FieldSpec& def, const KS_U8* record) {
    const KS_U8* text = record + def.offset;
    const void* zero = memchr(text, 0, def.width);
    return zero != nullptr ? static_cast<size_t>(static_cast<const KS_U8*>(zero) - text)
                           : def.width;
}

void FillReserved(const RecordLayout& layout, KS_U8* record) {
    for (size_t i = 0; i < layout.reservedCount; ++i)
        memset(record + layout.reserved[i].offset, 0xFF, layout.reserved[i].width);
}
