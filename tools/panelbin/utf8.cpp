/* UTF-8 <-> modified UTF-8 through code points. */
#include "tools/panelbin/utf8.h"

#include <vector>

#include "panel/model/modified_utf8.h"

namespace {

const KS_U32 kReplacement = 0xFFFD;

void AppendUnit(KS_U32 code, std::string* out) {
    if (code != 0 && code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) { /* U+0000 too: modified UTF-8 has no zero byte */
        out->push_back(static_cast<char>(0xC0 | code >> 6));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xE0 | code >> 12));
        out->push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

void AppendUtf8(KS_U32 code, std::string* out) {
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | code >> 6));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | code >> 12));
        out->push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | code >> 18));
        out->push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool IsHigh(KS_U32 unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(KS_U32 unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string ToModifiedUtf8(const std::string& utf8) {
    std::string out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        KS_U8 lead = bytes[i];
        size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (n > utf8.size() - i) n = utf8.size() - i; /* valid input never gets here */
        KS_U32 code = n == 1 ? lead : lead & (0x7Fu >> n);
        for (size_t k = 1; k < n; ++k) code = code << 6 | (bytes[i + k] & 0x3Fu);
        i += n;
        if (code < 0x10000) {
            AppendUnit(code, &out);
        } else {
            code -= 0x10000;
            AppendUnit(0xD800 | code >> 10, &out);
            AppendUnit(0xDC00 | (code & 0x3FF), &out);
        }
    }
    return out;
}

std::string FromModifiedUtf8(const KS_U8* bytes, size_t length) {
    std::vector<KS_U16> units(length);
    units.resize(DecodeModifiedUtf8(bytes, length, units.data()));
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        KS_U32 unit = units[i];
        if (IsHigh(unit) && i + 1 < units.size() && IsLow(units[i + 1])) {
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10 | (units[i + 1] - 0xDC00)), &out);
            ++i;
        } else {
            AppendUtf8(IsHigh(unit) || IsLow(unit) ? kReplacement : unit, &out);
        }
    }
    return out;
}
