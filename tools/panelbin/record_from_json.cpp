/* JSON to records, field by field through the field table and the field
 * codec only: every form that RecordToJson writes is taken back to the same
 * bytes, and values that makePanelBin would quietly change are refused. */
#include <string.h>

#include <functional>
#include <limits>
#include <set>

#include "panel/model/field_codec.h"
#include "tools/panelbin/field_text.h"
#include "tools/panelbin/record_json.h"
#include "tools/panelbin/spare_bytes.h"
#include "tools/panelbin/utf8.h"

namespace {

/* Collects the problems of one record, each prefixed with where it is. */
class Problems {
public:
    Problems(const std::string& where, std::vector<std::string>* errors)
        : m_where(where), m_errors(errors) {}

    void Record(const std::string& text) { m_errors->push_back(m_where + ": " + text); }
    void Key(const FieldSpec& def, const std::string& text) {
        m_errors->push_back(m_where + ", key " + def.name + ": " + text);
    }

private:
    std::string m_where;
    std::vector<std::string>* m_errors;
};

const long long kIntMin = std::numeric_limits<KS_S32>::min();
const long long kIntMax = std::numeric_limits<KS_S32>::max();

/* The largest value a member of `width` bytes holds. */
long long MemberMax(size_t width) { return static_cast<long long>((1ull << (8 * width)) - 1); }

/* An integer within [low, high], or a problem reported. */
bool IntegerIn(const Json& value, long long low, long long high, const std::string& what,
               const std::function<void(const std::string&)>& report, long long* out) {
    if (!value.is_number_integer()) {
        report(what + " must be an integer, not " + Echo(value));
        return false;
    }
    bool inRange = value.is_number_unsigned()
                       ? value.get<unsigned long long>() <= static_cast<unsigned long long>(high)
                       : value.get<long long>() >= low && value.get<long long>() <= high;
    if (!inRange) {
        report(what + " " + Echo(value) + " is out of range " + std::to_string(low) + ".." +
               std::to_string(high));
        return false;
    }
    *out = value.is_number_unsigned() ? static_cast<long long>(value.get<unsigned long long>())
                                      : value.get<long long>();
    return true;
}

/* Keys of an object form other than those it takes. */
bool OnlyKeys(const FieldSpec& def, const Json& value, std::initializer_list<const char*> keys,
              Problems* problems) {
    bool fine = true;
    for (const auto& item : value.items()) {
        bool known = false;
        for (const char* key : keys) known = known || item.key() == key;
        if (known) continue;
        std::string list;
        for (const char* key : keys) list += (list.empty() ? "\"" : ", \"") + std::string(key) + "\"";
        problems->Key(def, "unknown key \"" + CutText(item.key()) + "\" (only " + list + ")");
        fine = false;
    }
    return fine;
}

/* A name, if given, must be the stored enumerator's. */
bool NameMatches(const FieldSpec& def, const Json& value, KS_U32 member, const std::string& of,
                 Problems* problems) {
    if (!value.contains("name") || value["name"].is_null()) return true;
    const char* name = EnumNameOf(*def.names, member);
    if (name != nullptr && value["name"] == name) return true;
    problems->Key(def, "name " + Echo(value["name"]) + " does not match " + of + ", which " +
                           (name != nullptr ? std::string("is ") + name : "has no name"));
    return false;
}

/* {"raw": n} or {"id": n, "raw": n}: the stored member itself; an id, if
 * given, must be what Java reads from it. */
bool RawMember(const FieldSpec& def, const Json& value, Problems* problems, KS_U32* member) {
    long long raw = 0;
    auto report = [&](const std::string& text) { problems->Key(def, text); };
    if (!IntegerIn(value["raw"], 0, MemberMax(def.width), "raw", report, &raw)) return false;
    *member = static_cast<KS_U32>(raw);
    if (value.contains("id") && value["id"] != ToJava(def, *member)) {
        problems->Key(def, "id " + Echo(value["id"]) + " is not what Java reads from raw " +
                               std::to_string(raw) + ", which is " +
                               std::to_string(ToJava(def, *member)));
        return false;
    }
    return true;
}

/* The object form of a value given by identifier alone (1) or by name
 * alone ("VBONE", {"name": "VBONE"}, any case): {"id": 1}. False, with the
 * choices listed, for a name that is no choice's. */
bool ByIdOrName(const FieldSpec& def, const Json& given, Problems* problems, Json* value) {
    *value = given;
    if (given.is_number_integer()) *value = {{"id", given}};
    if (given.is_string()) *value = {{"name", given}};
    if (!value->is_object() || value->contains("id") || value->contains("raw") ||
        !value->contains("name") || !(*value)["name"].is_string())
        return true;
    KS_S32 id = 0;
    if (!ChoiceNamed(def, (*value)["name"].get<std::string>(), &id)) {
        problems->Key(def, "no choice is named " + Echo((*value)["name"]) + " (choices: " +
                               ChoiceList(def) + ")");
        return false;
    }
    value->erase("name");
    (*value)["id"] = id;
    return true;
}

/* {"id": n, "name": "..."}: the identifier must be a choice of the option
 * (any value, for an enumeration copied as it is), and a name, if given,
 * that of the enumerator it becomes. The identifier or the name alone
 * serve as well. */
void StoreEnumerated(const FieldSpec& def, const Json& given, Problems* problems, KS_U8* record) {
    Json value;
    if (!ByIdOrName(def, given, problems, &value)) return;
    if (!value.is_object() || (!value.contains("id") && !value.contains("raw"))) {
        problems->Key(def, "must be an object {\"id\": ..., \"name\": ...}, not " + Echo(value));
        return;
    }
    if (!OnlyKeys(def, value, {"id", "name", "raw"}, problems)) return;
    KS_U32 member = 0;
    if (value.contains("raw")) {
        if (!RawMember(def, value, problems, &member) ||
            !NameMatches(def, value, member, "raw " + std::to_string(member), problems))
            return;
    } else {
        long long id = 0;
        auto report = [&](const std::string& text) { problems->Key(def, text); };
        if (!IntegerIn(value["id"], kIntMin, kIntMax, "id", report, &id)) return;
        member = ToMember(def, static_cast<KS_S32>(id));
        if (def.kind != FieldKind::kCopy && !IsEnumChoice(*def.names, member)) {
            problems->Key(def, "id " + std::to_string(id) + " is not one of its choices (" +
                                   ChoiceList(def) + "); a stored value goes as \"raw\"");
            return;
        }
        if (!NameMatches(def, value, member, "id " + std::to_string(id), problems)) return;
    }
    StoreMember(record + def.offset, def.width, member);
}

void StoreInteger(const FieldSpec& def, const Json& value, Problems* problems, KS_U8* record) {
    if (def.names != nullptr) return StoreEnumerated(def, value, problems, record);
    auto report = [&](const std::string& text) { problems->Key(def, text); };
    if (value.is_object()) {
        KS_U32 member = 0;
        if (!value.contains("raw")) report("an object must have \"raw\", not " + Echo(value));
        else if (OnlyKeys(def, value, {"raw"}, problems) && RawMember(def, value, problems, &member))
            StoreMember(record + def.offset, def.width, member);
        return;
    }
    long long low = 0, high = 0;
    switch (def.kind) {
        case FieldKind::kFlag:
            high = 1;
            break;
        case FieldKind::kLow16:
        case FieldKind::kLow8:
            high = MemberMax(def.width);
            break;
        default: /* a 32-bit member: as Java's int or as the unsigned member */
            low = kIntMin;
            high = MemberMax(def.width);
            break;
    }
    long long number = 0;
    if (IntegerIn(value, low, high, "value", report, &number))
        StoreInt(def, static_cast<KS_S32>(static_cast<KS_U32>(number)), record);
}

/* Byte values 0..255 (or `lowest`..255) of at most `most` entries. */
bool ByteList(const FieldSpec& def, const Json& value, const std::string& what, size_t most,
              int lowest, Problems* problems, std::string* out) {
    if (!value.is_array()) {
        problems->Key(def, what + " must be an array of numbers, not " + Echo(value));
        return false;
    }
    if (value.size() > most) {
        problems->Key(def, what + " holds " + std::to_string(value.size()) + " entries, " +
                               std::to_string(most) + " fit");
        return false;
    }
    auto report = [&](const std::string& text) { problems->Key(def, text); };
    for (const Json& entry : value) {
        long long number = 0;
        if (!IntegerIn(entry, lowest, 0xFF, what + " entry", report, &number)) return false;
        out->push_back(static_cast<char>(number));
    }
    return true;
}

/* A text's bytes from {"text": ..., "bytes": [...]}, or from the text. */
bool TextBytes(const FieldSpec& def, const Json& value, Problems* problems, std::string* bytes) {
    if (value.contains("text") && !value["text"].is_string()) {
        problems->Key(def, "text must be a string, not " + Echo(value["text"]));
        return false;
    }
    if (!value.contains("bytes")) {
        if (!value.contains("text")) {
            problems->Key(def, "an object must have \"text\" or \"bytes\"");
            return false;
        }
        *bytes = ToModifiedUtf8(value["text"].get<std::string>());
        return true;
    }
    /* A zero byte would end the text early. */
    if (!ByteList(def, value["bytes"], "bytes", def.width, 1, problems, bytes)) return false;
    const std::string reads = FromModifiedUtf8(reinterpret_cast<const KS_U8*>(bytes->data()),
                                               bytes->size());
    if (value.contains("text") && value["text"] != reads) {
        problems->Key(def, "text " + Echo(value["text"]) + " is not what its bytes read as, " +
                               Echo(Json(reads)));
        return false;
    }
    return true;
}

void StoreTextValue(const FieldSpec& def, const Json& value, Problems* problems, KS_U8* record) {
    if (!value.is_string() && !value.is_object()) {
        problems->Key(def, "must be a string, not " + Echo(value));
        return;
    }
    std::string text, after;
    if (value.is_string()) {
        text = ToModifiedUtf8(value.get<std::string>());
    } else if (!OnlyKeys(def, value, {"text", "bytes", "after"}, problems) ||
               !TextBytes(def, value, problems, &text)) {
        return;
    }
    if (text.size() > def.width) {
        problems->Key(def, "text is " + std::to_string(text.size()) + " bytes, the field holds " +
                               std::to_string(def.width));
        return;
    }
    if (value.is_object() && value.contains("after")) {
        /* After the text's bytes and its terminating zero. */
        const size_t room = def.width - text.size() - (text.size() < def.width ? 1 : 0);
        if (!ByteList(def, value["after"], "after", room, 0, problems, &after)) return;
    }
    memcpy(record + def.offset, text.data(), text.size());
    if (!after.empty()) memcpy(record + def.offset + text.size() + 1, after.data(), after.size());
}

void StoreByteValues(const FieldSpec& def, const Json& value, Problems* problems, KS_U8* record) {
    std::string bytes;
    if (!ByteList(def, value, "", def.width, 0, problems, &bytes)) return;
    memcpy(record + def.offset, bytes.data(), bytes.size());
}

/* [{"offset": n, "bytes": [...]}, ...]: spare ranges with other bytes
 * than the writer's fill, each whole. */
void StoreSpare(const RecordLayout& layout, const Json& value, Problems* problems,
                KS_U8* record) {
    if (!value.is_array()) {
        problems->Record(std::string("key ") + kReservedKey + ": must be an array, not " + Echo(value));
        return;
    }
    std::set<long long> seen;
    for (const Json& entry : value) {
        const std::string at = std::string("key ") + kReservedKey + ": ";
        if (!entry.is_object() || entry.size() != 2 || !entry.contains("offset") ||
            !entry.contains("bytes") || !entry["offset"].is_number_integer()) {
            problems->Record(at + "wants {\"offset\": n, \"bytes\": [...]}, not " + Echo(entry));
            continue;
        }
        const SpareRange* range = nullptr;
        for (const SpareRange& r : SpareRanges(layout))
            if (entry["offset"] == r.offset) range = &r;
        if (range == nullptr || !seen.insert(range->offset).second) {
            problems->Record(at + "offset " + Echo(entry["offset"]) +
                             (range == nullptr ? " does not start spare bytes" : " given twice"));
            continue;
        }
        const Json& bytes = entry["bytes"];
        bool fine = bytes.is_array() && bytes.size() == range->width;
        for (size_t k = 0; fine && k < bytes.size(); ++k)
            fine = bytes[k].is_number_integer() && bytes[k] >= 0 && bytes[k] <= 255;
        if (!fine) {
            problems->Record(at + "offset " + std::to_string(range->offset) + " wants " +
                             std::to_string(range->width) + " numbers 0..255, not " + Echo(bytes));
            continue;
        }
        for (size_t k = 0; k < bytes.size(); ++k)
            record[range->offset + k] = static_cast<KS_U8>(bytes[k].get<int>());
    }
}

bool HasField(const RecordLayout& layout, const std::string& name) {
    if (name == kReservedKey) return !SpareRanges(layout).empty();
    return !ForEachField(layout, [&](size_t, const FieldSpec& def) { return name != def.name; });
}

/* " (did you mean u32PanelWidth?)", or nothing when no field is near. */
std::string Suggestion(const RecordLayout& layout, const std::string& key) {
    const std::string nearest = NearestField(layout, key);
    return nearest.empty() ? "" : " (did you mean " + nearest + "?)";
}

}  // namespace

void RecordFromJson(const RecordLayout& layout, const Json& object, const std::string& where,
                    const RecordLayout* other, KS_U8* record, std::vector<std::string>* errors) {
    Problems problems(where, errors);
    if (!object.is_object()) {
        problems.Record("must be an object of fields, not " + Echo(object));
        return;
    }
    for (const auto& item : object.items()) {
        if (HasField(layout, item.key())) continue;
        if (other != nullptr && HasField(*other, item.key()))
            problems.Record("key " + item.key() + " belongs to the other chip series");
        else
            problems.Record("unknown key " + CutText(item.key()) + Suggestion(layout, item.key()));
    }
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        if (!object.contains(def.name)) {
            problems.Record(std::string("missing key ") + def.name);
            return true;
        }
        const Json& value = object[def.name];
        if (def.kind == FieldKind::kText)
            StoreTextValue(def, value, &problems, record);
        else if (def.kind == FieldKind::kBytes)
            StoreByteValues(def, value, &problems, record);
        else
            StoreInteger(def, value, &problems, record);
        return true;
    });
    FillReserved(layout, record);
    if (object.contains(kReservedKey)) StoreSpare(layout, object[kReservedKey], &problems, record);
}
