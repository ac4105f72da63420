/* The library's modified UTF-8 code: the cut that fits a Java text into a
 * record member, and the decoder that turns member bytes back into text.
 *
 * The input is used twice. As UTF-16 text (pairs of bytes), encoded as the
 * JVM hands it out, cut to a limit and decoded: the cut must end on a whole
 * character, keep a surrogate pair whole or drop it whole, be the longest
 * such prefix, and decode to exactly the text it kept. As raw member bytes:
 * the decoder must write no more units than there are bytes (into a buffer
 * of exactly that many, so AddressSanitizer sees an overrun) and the cut must
 * stay within its limit. */
#include <stdint.h>
#include <string.h>

#include <memory>
#include <string>

#include "tests/fuzz/fake_jni.h"
#include "tests/fuzz/fuzz_check.h"
#include "panel/model/modified_utf8.h"

namespace {

bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

size_t EncodedLength(char16_t unit) { return unit != 0 && unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3; }

/* Decodes bytes[0, n) into a buffer of exactly n units. */
std::u16string Decode(const KS_U8* bytes, size_t n) {
    std::unique_ptr<KS_U16[]> units(new KS_U16[n > 0 ? n : 1]);
    size_t count = DecodeModifiedUtf8(bytes, n, units.get());
    FUZZ_CHECK(count <= n);
    return std::u16string(reinterpret_cast<const char16_t*>(units.get()), count);
}

void CheckTextCut(const std::u16string& text, size_t limit) {
    std::string utf = fakejni::EncodeModifiedUtf8(text);
    size_t cut = WholeCharacterPrefix(utf.data(), utf.size(), limit);
    FUZZ_CHECK(cut <= utf.size());
    if (utf.size() <= limit) FUZZ_CHECK(cut == utf.size());
    FUZZ_CHECK(cut <= limit);

    /* The units the cut keeps: whole encodings only. */
    size_t kept = 0;
    size_t bytes = 0;
    while (kept < text.size() && bytes + EncodedLength(text[kept]) <= cut)
        bytes += EncodedLength(text[kept++]);
    FUZZ_CHECK(bytes == cut);

    /* A pair is one character: never its high half alone. */
    bool splitsPair = kept > 0 && kept < text.size() && IsHigh(text[kept - 1]) && IsLow(text[kept]);
    FUZZ_CHECK(!splitsPair);
    /* The longest such prefix: the next character would not fit. */
    if (kept < text.size()) {
        size_t next = EncodedLength(text[kept]);
        if (IsHigh(text[kept]) && kept + 1 < text.size() && IsLow(text[kept + 1]))
            next += EncodedLength(text[kept + 1]);
        FUZZ_CHECK(cut + next > limit);
    }

    FUZZ_CHECK(Decode(reinterpret_cast<const KS_U8*>(utf.data()), cut) == text.substr(0, kept));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t limit = data[0];
    std::u16string text;
    for (size_t i = 1; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    CheckTextCut(text, limit);

    std::unique_ptr<KS_U8[]> raw(new KS_U8[size - 1 > 0 ? size - 1 : 1]);
    memcpy(raw.get(), data + 1, size - 1);
    Decode(raw.get(), size - 1);
    const KS_CHAR* chars = reinterpret_cast<const KS_CHAR*>(raw.get());
    size_t cut = WholeCharacterPrefix(chars, size - 1, limit);
    FUZZ_CHECK(cut <= size - 1 && (size - 1 <= limit ? cut == size - 1 : cut <= limit));
    return 0;
}
