/* Modified UTF-8 cutting and decoding, without the JVM: the JVM's own
 * decoder complains under -Xcheck:jni about bytes that a file may hold. */
#include "panel/model/modified_utf8.h"

namespace {

const KS_U16 kReplacement = 0xFFFD;

bool IsContinuation(KS_U8 byte) { return (byte & 0xC0) == 0x80; }

/* A surrogate half as modified UTF-8 writes it: ED A0..AF xx is a high
 * surrogate, ED B0..BF xx a low one. */
bool IsHighSurrogateAt(const KS_U8* at) { return at[0] == 0xED && (at[1] & 0xF0) == 0xA0; }
bool IsLowSurrogateAt(const KS_U8* at) { return at[0] == 0xED && (at[1] & 0xF0) == 0xB0; }

/* Length of the sequence a lead byte opens, or 0 for a byte that opens none. */
size_t SequenceLength(KS_U8 lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

}  // namespace

size_t WholeCharacterPrefix(const KS_CHAR* text, size_t length, size_t limit) {
    if (length <= limit) return length;
    const KS_U8* bytes = reinterpret_cast<const KS_U8*>(text);
    size_t cut = limit;
    while (cut > 0 && IsContinuation(bytes[cut])) --cut;
    /* Half a pair is no character: drop the high surrogate too. */
    if (cut >= 3 && length - cut >= 2 && IsLowSurrogateAt(bytes + cut) &&
        IsHighSurrogateAt(bytes + cut - 3))
        cut -= 3;
    return cut;
}

size_t DecodeModifiedUtf8(const KS_U8* bytes, size_t length, KS_U16* out) {
    size_t units = 0;
    size_t i = 0;
    while (i < length) {
        KS_U8 lead = bytes[i];
        size_t n = SequenceLength(lead);
        bool complete = n != 0 && n <= length - i;
        for (size_t k = 1; complete && k < n; ++k) complete = IsContinuation(bytes[i + k]);
        if (!complete) {
            out[units++] = kReplacement;
            ++i;
            continue;
        }
        KS_U32 code = n == 1 ? lead : lead & (0x7Fu >> n);
        for (size_t k = 1; k < n; ++k) code = code << 6 | (bytes[i + k] & 0x3Fu);
        if (n < 4) {
            out[units++] = static_cast<KS_U16>(code);
        } else if (code >= 0x10000 && code <= 0x10FFFF) {
            code -= 0x10000;
            out[units++] = static_cast<KS_U16>(0xD800 | code >> 10);
            out[units++] = static_cast<KS_U16>(0xDC00 | (code & 0x3FF));
        } else {
            out[units++] = kReplacement;
        }
        i += n;
    }
    return units;
}
