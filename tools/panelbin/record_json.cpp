/* Records to JSON, field by field through the field table and the field
 * codec only, in the lossless forms that record_json.h describes. */
#include "tools/panelbin/record_json.h"

#include <string.h>

#include "panel/model/field_codec.h"
#include "tools/panelbin/spare_bytes.h"
#include "tools/panelbin/utf8.h"

const char kReservedKey[] = "reserved";

namespace {

Json ByteArray(const KS_U8* bytes, size_t count) { return std::vector<int>(bytes, bytes + count); }

/* Does the identifier Java reads give this member back through make? A
 * copied enumeration takes any value, an option only its choices. */
bool IdGivesMemberBack(const FieldSpec& def, KS_U32 member) {
    if (ToMember(def, ToJava(def, member)) != member) return false;
    return def.kind == FieldKind::kCopy || IsEnumChoice(*def.names, member);
}

Json EnumeratedToJson(const FieldSpec& def, KS_U32 member) {
    /* The name is that of the stored enumerator, whatever identifier the
     * reverse translator makes of it. */
    const char* name = EnumNameOf(*def.names, member);
    Json option = {{"id", ToJava(def, member)}, {"name", nullptr}};
    if (name != nullptr) option["name"] = name;
    if (!IdGivesMemberBack(def, member)) option["raw"] = member;
    return option;
}

Json IntToJson(const FieldSpec& def, const KS_U8* record) {
    const KS_U32 member = LoadMember(record + def.offset, def.width);
    if (def.names != nullptr) return EnumeratedToJson(def, member);
    /* makePanelBin stores a flag as 0 or 1; anything else came from elsewhere. */
    if (def.kind == FieldKind::kFlag && member > 1) return {{"raw", member}};
    return ToJava(def, member);
}

Json TextToJson(const FieldSpec& def, const KS_U8* record) {
    const KS_U8* bytes = record + def.offset;
    const size_t length = TextLength(def, record);
    const std::string text = FromModifiedUtf8(bytes, length);
    const bool exact = ToModifiedUtf8(text) == std::string(bytes, bytes + length);
    size_t afterEnd = def.width;
    while (afterEnd > length + 1 && bytes[afterEnd - 1] == 0) --afterEnd;
    const bool after = afterEnd > length + 1;
    if (exact && !after) return text;
    Json object = {{"text", text}};
    if (!exact) object["bytes"] = ByteArray(bytes, length);
    if (after) object["after"] = ByteArray(bytes + length + 1, afterEnd - length - 1);
    return object;
}

/* The spare ranges that do not hold the writer's fill. */
Json SpareToJson(const RecordLayout& layout, const KS_U8* record) {
    Json ranges = Json::array();
    for (const SpareRange& range : SpareRanges(layout)) {
        const KS_U8* bytes = record + range.offset;
        bool filled = true;
        for (size_t k = 0; k < range.width; ++k) filled = filled && bytes[k] == range.fill;
        if (!filled) ranges.push_back({{"offset", range.offset}, {"bytes", ByteArray(bytes, range.width)}});
    }
    return ranges;
}

bool IsFlat(const Json& value) {
    if (!value.is_structured()) return true;
    for (const Json& member : value)
        if (member.is_structured()) return false;
    return true;
}

}  // namespace

Json FieldToJson(const FieldSpec& def, const KS_U8* record) {
    switch (def.kind) {
        case FieldKind::kText:
            return TextToJson(def, record);
        case FieldKind::kBytes:
            return ByteArray(record + def.offset, def.width);
        default:
            return IntToJson(def, record);
    }
}

Json RecordToJson(const RecordLayout& layout, const KS_U8* record) {
    Json object = Json::object();
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        object[def.name] = FieldToJson(def, record);
        return true;
    });
    Json spare = SpareToJson(layout, record);
    if (!spare.empty()) object[kReservedKey] = spare;
    return object;
}

std::string TextOf(const Json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_object() && value.contains("text") && value["text"].is_string())
        return value["text"].get<std::string>();
    return "";
}

long long JsonInt(const Json& value) {
    if (value.is_object()) return JsonInt(value.value("id", value.value("raw", Json(0))));
    return value.is_number_integer() ? value.get<long long>() : 0;
}

std::string Echo(const Json& value) {
    const size_t kMost = 40;
    /* A long string is cut before it is quoted, not after: it may be megabytes. */
    if (value.is_string() && value.get_ref<const std::string&>().size() > kMost)
        return Json(value.get_ref<const std::string&>().substr(0, kMost)).dump(-1, ' ', false,
                                                                              Json::error_handler_t::replace) + "...";
    std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    return text.size() > kMost ? text.substr(0, kMost) + "..." : text;
}

std::string CutText(const std::string& text) {
    const size_t kMost = 40;
    return text.size() > kMost ? text.substr(0, kMost) + "..." : text;
}

std::string PrettyJson(const Json& value, size_t indent) {
    if (!value.is_structured()) return value.dump();
    const bool object = value.is_object();
    const bool flat = IsFlat(value);
    const std::string inner = flat ? "" : "\n" + std::string(indent + 2, ' ');
    std::string text = object ? "{" : "[";
    bool first = true;
    for (auto item = value.begin(); item != value.end(); ++item, first = false) {
        text += (first ? "" : flat ? ", " : ",") + inner;
        if (object) text += Json(item.key()).dump() + ": ";
        text += PrettyJson(*item, indent + 2);
    }
    if (!flat && !value.empty()) text += "\n" + std::string(indent, ' ');
    return text + (object ? "}" : "]");
}
