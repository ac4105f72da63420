/* Field by field between records and JSON, through the field table and
 * the field codec only. */
#include "tools/panelbin/record_json.h"

#include <limits>
#include <set>

#include "panel/model/field_codec.h"
#include "tools/panelbin/utf8.h"

namespace {

Json IntToJson(const FieldSpec& def, const KS_U8* record) {
    KS_S32 value = LoadInt(def, record);
    if (def.names == nullptr) return value;
    /* The name is that of the stored enumerator, whatever identifier the
     * reverse translator makes of it. */
    const char* name = EnumNameOf(*def.names, LoadMember(record + def.offset, def.width));
    Json option = {{"id", value}, {"name", nullptr}};
    if (name != nullptr) option["name"] = name;
    return option;
}

Json FieldToJson(const FieldSpec& def, const KS_U8* record) {
    switch (def.kind) {
        case FieldKind::kText:
            return FromModifiedUtf8(record + def.offset, TextLength(def, record));
        case FieldKind::kBytes:
            return std::vector<int>(record + def.offset, record + def.offset + def.width);
        default:
            return IntToJson(def, record);
    }
}

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

/* An integer within [low, high], or a problem reported. */
bool IntegerIn(const Json& value, long long low, long long high, const FieldSpec& def,
               const std::string& what, Problems* problems, long long* out) {
    if (!value.is_number_integer()) {
        problems->Key(def, what + " must be an integer, not " + value.dump());
        return false;
    }
    bool inRange = value.is_number_unsigned()
                       ? value.get<unsigned long long>() <= static_cast<unsigned long long>(high)
                       : value.get<long long>() >= low && value.get<long long>() <= high;
    if (!inRange) {
        problems->Key(def, what + " " + value.dump() + " is out of range " + std::to_string(low) +
                               ".." + std::to_string(high));
        return false;
    }
    *out = value.is_number_unsigned() ? static_cast<long long>(value.get<unsigned long long>())
                                      : value.get<long long>();
    return true;
}

/* "0 LVDS, 1 VBONE, 2 MINLVDS": the identifiers an option takes. They
 * are small (the longest enumeration has 10 values), so trying the first
 * 64 finds them all. */
std::string Choices(const FieldSpec& def) {
    std::string list;
    for (KS_S32 id = 0; id < 64; ++id) {
        const KS_U32 member = ToMember(def, id);
        if (!IsEnumChoice(*def.names, member)) continue;
        list += (list.empty() ? "" : ", ") + std::to_string(id) + " " +
                EnumNameOf(*def.names, member);
    }
    return list;
}

const long long kIntMin = std::numeric_limits<KS_S32>::min();
const long long kIntMax = std::numeric_limits<KS_S32>::max();
const long long kU32Max = std::numeric_limits<KS_U32>::max();

/* {"id": n, "name": "..."}: the identifier must be a choice of the option,
 * and a name, if given, that of the enumerator it translates to. */
void StoreEnumerated(const FieldSpec& def, const Json& value, Problems* problems, KS_U8* record) {
    if (!value.is_object() || !value.contains("id")) {
        problems->Key(def, "must be an object {\"id\": ..., \"name\": ...}, not " + value.dump());
        return;
    }
    for (const auto& item : value.items())
        if (item.key() != "id" && item.key() != "name")
            problems->Key(def, "unknown key \"" + item.key() + "\" (only \"id\" and \"name\")");
    long long id = 0;
    if (!IntegerIn(value["id"], kIntMin, kIntMax, def, "id", problems, &id)) return;
    const KS_U32 member = ToMember(def, static_cast<KS_S32>(id));
    if (!IsEnumChoice(*def.names, member)) {
        problems->Key(def, "id " + std::to_string(id) + " is not one of its choices (" +
                               Choices(def) + ")");
        return;
    }
    const char* name = EnumNameOf(*def.names, member);
    if (value.contains("name") && !value["name"].is_null() && value["name"] != name) {
        problems->Key(def, "name " + value["name"].dump() + " does not match id " +
                               std::to_string(id) + ", which is " + name);
        return;
    }
    StoreMember(record + def.offset, def.width, member);
}

void StoreInteger(const FieldSpec& def, const Json& value, Problems* problems, KS_U8* record) {
    if (def.names != nullptr) return StoreEnumerated(def, value, problems, record);
    long long low = 0, high = 0;
    switch (def.kind) {
        case FieldKind::kFlag:
            high = 1;
            break;
        case FieldKind::kLow16:
            high = 0xFFFF;
            break;
        case FieldKind::kLow8:
            high = 0xFF;
            break;
        default: /* a 32-bit member: as Java's int or as the unsigned member */
            low = kIntMin;
            high = kU32Max;
            break;
    }
    long long number = 0;
    if (IntegerIn(value, low, high, def, "value", problems, &number))
        StoreInt(def, static_cast<KS_S32>(static_cast<KS_U32>(number)), record);
}

void StoreTextValue(const FieldSpec& def, const Json& value, Problems* problems, KS_U8* record) {
    if (!value.is_string()) {
        problems->Key(def, "must be a string, not " + value.dump());
        return;
    }
    std::string text = ToModifiedUtf8(value.get<std::string>());
    if (text.size() > def.width) {
        problems->Key(def, "text is " + std::to_string(text.size()) + " bytes, the field holds " +
                               std::to_string(def.width));
        return;
    }
    StoreText(def, text.data(), text.size(), record);
}

void StoreByteValues(const FieldSpec& def, const Json& value, Problems* problems, KS_U8* record) {
    if (!value.is_array()) {
        problems->Key(def, "must be an array of numbers, not " + value.dump());
        return;
    }
    if (value.size() > def.width) {
        problems->Key(def, "holds " + std::to_string(value.size()) + " entries, the field " +
                               std::to_string(def.width) + " bytes");
        return;
    }
    std::vector<KS_S32> bytes;
    for (const Json& entry : value) {
        long long number = 0;
        if (!IntegerIn(entry, 0, 0xFF, def, "entry", problems, &number)) return;
        bytes.push_back(static_cast<KS_S32>(number));
    }
    StoreBytes(def, bytes.data(), bytes.size(), record);
}

bool HasField(const RecordLayout& layout, const std::string& name) {
    return !ForEachField(layout, [&](size_t, const FieldSpec& def) { return name != def.name; });
}

}  // namespace

Json RecordToJson(const RecordLayout& layout, const KS_U8* record) {
    Json object = Json::object();
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        object[def.name] = FieldToJson(def, record);
        return true;
    });
    return object;
}

void RecordFromJson(const RecordLayout& layout, const Json& object, const std::string& where,
                    const RecordLayout* other, KS_U8* record, std::vector<std::string>* errors) {
    Problems problems(where, errors);
    if (!object.is_object()) {
        problems.Record("must be an object of fields, not " + object.dump());
        return;
    }
    for (const auto& item : object.items()) {
        if (HasField(layout, item.key())) continue;
        if (other != nullptr && HasField(*other, item.key()))
            problems.Record("key " + item.key() + " belongs to the other chip series");
        else
            problems.Record("unknown key " + item.key());
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
}

long long JsonInt(const Json& value) {
    const Json& number = value.is_object() ? value["id"] : value;
    return number.is_number_integer() ? number.get<long long>() : 0;
}

namespace {

bool IsFlat(const Json& value) {
    if (!value.is_structured()) return true;
    for (const Json& member : value)
        if (member.is_structured()) return false;
    return true;
}

}  // namespace

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
