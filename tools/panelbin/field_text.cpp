/* Field values, choices and names in messages, for diff, verify, set,
 * make and check alike. */
#include "tools/panelbin/field_text.h"

#include <ctype.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <vector>

#include "panel/model/field_codec.h"

namespace {

/* The identifiers of an option are small (the longest enumeration has 10
 * values), so trying the first 64 finds them all. */
const KS_S32 kIdsTried = 64;

/* Edits (insert, delete, change, case aside) that turn a into b. */
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const bool same = tolower(static_cast<unsigned char>(a[i - 1])) ==
                              tolower(static_cast<unsigned char>(b[j - 1]));
            const size_t next = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = row[j];
            row[j] = next;
        }
    }
    return row[b.size()];
}

}  // namespace

/* 1 (VBONE) for an enumerated value, raw 7 for a stored one, JSON for the rest. */
std::string FieldText(const Json& value) {
    if (!value.is_object() || !(value.contains("id") || value.contains("raw")))
        return value.dump();
    std::string text = value.contains("id") ? value["id"].dump() : "";
    if (value.contains("name") && value["name"].is_string())
        text += " (" + value["name"].get<std::string>() + ")";
    if (value.contains("raw")) text += (text.empty() ? "raw " : ", raw ") + value["raw"].dump();
    return text;
}

std::string ChoiceList(const FieldSpec& def) {
    std::string list;
    for (KS_S32 id = 0; id < kIdsTried; ++id) {
        const KS_U32 member = ToMember(def, id);
        if (!IsEnumChoice(*def.names, member)) continue;
        list += (list.empty() ? "" : ", ") + std::to_string(id) + " " + EnumNameOf(*def.names, member);
    }
    return list;
}

bool ChoiceNamed(const FieldSpec& def, const std::string& name, KS_S32* id) {
    for (KS_S32 k = 0; k < kIdsTried; ++k) {
        const KS_U32 member = ToMember(def, k);
        const char* named = EnumNameOf(*def.names, member);
        if (named != nullptr && strcasecmp(name.c_str(), named) == 0 &&
            IsEnumChoice(*def.names, member)) {
            *id = k;
            return true;
        }
    }
    return false;
}

const FieldSpec* FieldNamed(const RecordLayout& layout, const char* name) {
    const FieldSpec* found = nullptr;
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        if (strcmp(def.name, name) == 0) found = &def;
        return found == nullptr;
    });
    return found;
}

std::string NearestField(const RecordLayout& layout, const std::string& key) {
    std::string nearest;
    size_t best = 0;
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        const size_t edits = EditDistance(key, def.name);
        if (nearest.empty() || edits < best) {
            nearest = def.name;
            best = edits;
        }
        return true;
    });
    /* Beyond a third of the name, it is another word, not a slip. */
    return best * 3 <= std::max<size_t>(nearest.size(), 3) ? nearest : "";
}
