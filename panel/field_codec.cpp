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

IntFieldsPlan::IntFieldsPlan(const RecordLayout& layout) {
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        if (!IsIntField(def)) return true;
        const KS_U16 value = static_cast<KS_U16>(m_count++);
        const KS_U8 width = static_cast<KS_U8>(def.width);
        if (def.kind == FieldKind::kFlag || def.kind == FieldKind::kOption) {
            Translated& field = m_translated[m_translatedCount++];
            field = {value, def.offset, width, &def, {}};
            for (KS_U32 id = 0; id < kKnownIds; ++id)
                field.known[id] = ToMember(def, static_cast<KS_S32>(id));
        } else if (def.width == 4) {
            m_copy[m_copyCount++] = {value, def.offset, width};
        } else {
            m_narrow[m_narrowCount++] = {value, def.offset, width};
        }
        return true;
    });
}

size_t StoreUtf16Text(const FieldSpec& def, const KS_U16* units, size_t count, KS_U8* record) {
    /* The common case, text of 1 to 127 only: one byte per unit, and with
     * count <= width it always fits whole. */
    KS_U8* out = record + def.offset;
    size_t ascii = 0;
    while (ascii < count && ascii < def.width && units[ascii] - 1u < 0x7Fu) {
        out[ascii] = static_cast<KS_U8>(units[ascii]);
        ++ascii;
    }
    if (ascii == count) return count;
    /* Otherwise all of it in modified UTF-8, then cut where StoreText cuts. */
    const size_t kMaxUnits = 256;
    if (count > kMaxUnits) count = kMaxUnits;
    KS_CHAR utf[3 * kMaxUnits];
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) {
        const unsigned u = units[i];
        if (u != 0 && u < 0x80) {
            utf[length++] = static_cast<KS_CHAR>(u);
        } else if (u < 0x800) {
            utf[length++] = static_cast<KS_CHAR>(0xC0 | u >> 6);
            utf[length++] = static_cast<KS_CHAR>(0x80 | (u & 0x3F));
        } else {
            utf[length++] = static_cast<KS_CHAR>(0xE0 | u >> 12);
            utf[length++] = static_cast<KS_CHAR>(0x80 | (u >> 6 & 0x3F));
            utf[length++] = static_cast<KS_CHAR>(0x80 | (u & 0x3F));
        }
    }
    return StoreText(def, utf, length, record);
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
