/* Working out the spare bytes of a layout from its field table. */
#include "tools/panelbin/spare_bytes.h"

#include <algorithm>
#include <map>

namespace {

std::vector<SpareRange> Find(const RecordLayout& layout) {
    /* Which bytes the fields and reserved words hold; the rest are gaps. */
    std::vector<bool> held(layout.recordSize, false);
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        std::fill(held.begin() + def.offset, held.begin() + def.offset + def.width, true);
        return true;
    });
    std::vector<SpareRange> ranges;
    for (size_t i = 0; i < layout.reservedCount; ++i) {
        const ByteRange& r = layout.reserved[i];
        std::fill(held.begin() + r.offset, held.begin() + r.offset + r.width, true);
        ranges.push_back({r.offset, r.width, 0xFF, true});
    }
    for (size_t at = 0; at < held.size();) {
        if (held[at]) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < held.size() && !held[end]) ++end;
        ranges.push_back({static_cast<KS_U16>(at), static_cast<KS_U16>(end - at), 0, false});
        at = end;
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const SpareRange& a, const SpareRange& b) { return a.offset < b.offset; });
    return ranges;
}

}  // namespace

const std::vector<SpareRange>& SpareRanges(const RecordLayout& layout) {
    /* Layouts are few and live for the whole run. */
    static std::map<const RecordLayout*, std::vector<SpareRange>> found;
    auto it = found.find(&layout);
    if (it == found.end()) it = found.emplace(&layout, Find(layout)).first;
    return it->second;
}
