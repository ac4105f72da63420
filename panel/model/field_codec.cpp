/* The per-field conversion rules shared by the JNI mapper and the tools. */
#include "panel/model/field_codec.h"

#include <string.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "panel/model/modified_utf8.h"

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
        const bool translated = def.kind == FieldKind::kFlag || def.kind == FieldKind::kOption;
        if (translated && def.width == 4) {
            Translated& field = m_translated[m_translatedCount++];
            field = {value, def.offset, &def, {}};
            for (KS_U32 id = 0; id < kKnownIds; ++id)
                field.known[id] = ToMember(def, static_cast<KS_S32>(id));
        } else if (translated) {
            m_otherValue[m_otherCount] = value;
            m_other[m_otherCount++] = &def;
        } else if (def.width == 4) {
            m_copy[m_copyCount++] = {value, def.offset, 4};
        } else {
            m_narrow[m_narrowCount++] = {value, def.offset, static_cast<KS_U8>(def.width)};
        }
        return true;
    });
}

/* Out of line: inlined into a caller's loop over panels, the loops below
 * ran short of registers. */
void IntFieldsPlan::Store(const KS_S32* values, KS_U8* record) const {
    /* Counts in locals: the byte stores may alias the plan's own members,
     * which the compiler would otherwise reload per field. */
    const size_t copies = m_copyCount, narrow = m_narrowCount;
    const size_t translated = m_translatedCount, other = m_otherCount;
    for (const Plain *field = m_copy, *end = m_copy + copies; field != end; ++field)
        KS_EncodeU32(record + field->offset, static_cast<KS_U32>(values[field->value]));
    for (const Plain *field = m_narrow, *end = m_narrow + narrow; field != end; ++field)
        KS_EncodeLE(record + field->offset, static_cast<KS_U32>(values[field->value]), field->width);
    for (const Translated *field = m_translated, *end = m_translated + translated; field != end;
         ++field) {
        const KS_S32 value = values[field->value];
        const KS_U32 id = static_cast<KS_U32>(value);
        KS_EncodeU32(record + field->offset,
                     id < kKnownIds ? field->known[id] : ToMember(*field->def, value));
    }
    for (size_t i = 0; i < other; ++i) StoreInt(*m_other[i], values[m_otherValue[i]], record);
}

const IntFieldsPlan* IntFieldsOf(const RecordLayout& layout) {
    static const IntFieldsPlan r100(R100BodyLayout());
    static const IntFieldsPlan r120(R120BodyLayout());
    static const IntFieldsPlan header(PanelHeaderLayout());
    if (&layout == &R100BodyLayout()) return &r100;
    if (&layout == &R120BodyLayout()) return &r120;
    if (&layout == &PanelHeaderLayout()) return &header;
    return nullptr;
}

void StoreBytes(const FieldSpec& def, const KS_S32* values, size_t count, KS_U8* record) {
    if (count > def.width) count = def.width;
    KS_U8* out = record + def.offset;
    size_t k = 0;
#ifdef __SSE2__
    /* 16 entries at a time: the low bytes kept, then packed twice; no
     * saturation can happen, every lane holds 0 to 255 by then. The
     * compiler leaves the plain loop scalar at this optimization level,
     * and the R120 writer narrows 172 entries per panel. */
    const __m128i low = _mm_set1_epi32(0xFF);
    for (; k + 16 <= count; k += 16) {
        const __m128i* in = reinterpret_cast<const __m128i*>(values + k);
        __m128i a = _mm_and_si128(_mm_loadu_si128(in), low);
        __m128i b = _mm_and_si128(_mm_loadu_si128(in + 1), low);
        __m128i c = _mm_and_si128(_mm_loadu_si128(in + 2), low);
        __m128i d = _mm_and_si128(_mm_loadu_si128(in + 3), low);
        __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), bytes);
    }
    if (k + 8 <= count) {
        const __m128i* in = reinterpret_cast<const __m128i*>(values + k);
        __m128i a = _mm_and_si128(_mm_loadu_si128(in), low);
        __m128i b = _mm_and_si128(_mm_loadu_si128(in + 1), low);
        __m128i words = _mm_packs_epi32(a, b);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(words, words));
        k += 8;
    }
#endif
    for (; k < count; ++k) out[k] = static_cast<KS_U8>(values[k]);
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
