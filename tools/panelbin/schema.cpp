/* schema: the JSON Schema (draft 2020-12) of dump's document, made from the
 * field table at run time, and of the --json outputs of show, check and
 * diff, which refer to the same definitions. */
#include <iostream>
#include <limits>

#include "panel/model/field_codec.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/fleet_log.h"
#include "tools/panelbin/panel_file.h"
#include "tools/panelbin/show.h"
#include "tools/panelbin/spare_bytes.h"

namespace {

const long long kIntMin = std::numeric_limits<KS_S32>::min();

Json Integer(long long low, long long high) {
    return {{"type", "integer"}, {"minimum", low}, {"maximum", high}};
}

long long MemberMax(size_t width) { return static_cast<long long>((1ull << (8 * width)) - 1); }

Json ByteArray(size_t most, int lowest = 0) {
    return {{"type", "array"}, {"items", Integer(lowest, 255)}, {"maxItems", most}};
}

Json Closed(Json properties, Json required) {
    return {{"type", "object"},
            {"properties", std::move(properties)},
            {"required", std::move(required)},
            {"additionalProperties", false}};
}

/* {"raw": n}, with the keys that may come with it. */
Json RawForm(const FieldSpec& def) { return Integer(0, MemberMax(def.width)); }

Json EnumeratedSchema(const FieldSpec& def) {
    Json names = Json::array({nullptr});
    for (size_t i = 0; i < def.names->count; ++i) names.push_back(def.names->entries[i].name);
    Json id = Integer(kIntMin, std::numeric_limits<KS_S32>::max());
    /* Without "raw", an option's id must be one of its choices. */
    Json choices = Json::array();
    for (KS_S32 k = 0; k < 64; ++k)
        if (IsEnumChoice(*def.names, ToMember(def, k))) choices.push_back(k);
    Json byId = {{"required", {"id"}}};
    if (def.kind != FieldKind::kCopy) byId["properties"] = {{"id", {{"enum", choices}}}};
    Json schema = Closed({{"id", id}, {"name", {{"enum", names}}}, {"raw", RawForm(def)}},
                         Json::array());
    schema["anyOf"] = {{{"required", {"raw"}}}, byId};
    return schema;
}

Json IntSchema(const FieldSpec& def) {
    if (def.names != nullptr) return EnumeratedSchema(def);
    Json plain = def.kind == FieldKind::kFlag    ? Integer(0, 1)
                 : def.kind == FieldKind::kCopy ? Integer(kIntMin, MemberMax(def.width))
                                                : Integer(0, MemberMax(def.width));
    return {{"oneOf", {plain, Closed({{"raw", RawForm(def)}}, {"raw"})}}};
}

Json TextSchema(const FieldSpec& def) {
    Json object = Closed({{"text", {{"type", "string"}}},
                          {"bytes", ByteArray(def.width, 1)},
                          {"after", ByteArray(def.width - 1)}},
                         Json::array());
    object["anyOf"] = {{{"required", {"text"}}}, {{"required", {"bytes"}}}};
    return {{"oneOf", {{{"type", "string"}}, object}}};
}

Json FieldSchema(const FieldSpec& def) {
    Json schema = def.kind == FieldKind::kText    ? TextSchema(def)
                  : def.kind == FieldKind::kBytes ? ByteArray(def.width)
                                                  : IntSchema(def);
    schema["description"] = std::string("offset ") + std::to_string(def.offset) + ", " +
                            std::to_string(def.width) + " byte" + (def.width == 1 ? "" : "s");
    return schema;
}

Json RecordSchema(const RecordLayout& layout) {
    Json properties = Json::object(), required = Json::array();
    ForEachField(layout, [&](size_t, const FieldSpec& def) {
        properties[def.name] = FieldSchema(def);
        required.push_back(def.name);
        return true;
    });
    /* Each spare range whole, at its own offset. */
    Json ranges = Json::array();
    for (const SpareRange& range : SpareRanges(layout)) {
        Json bytes = ByteArray(range.width);
        bytes["minItems"] = range.width;
        ranges.push_back(Closed({{"offset", {{"const", range.offset}}}, {"bytes", bytes}},
                                {"offset", "bytes"}));
    }
    if (!ranges.empty())
        properties[kReservedKey] = {
            {"type", "array"},
            {"description", "reserved words and padding holding other than the writer's fill"},
            {"items", {{"oneOf", ranges}}}};
    return Closed(properties, required);
}

Json Ref(const std::string& name) { return {{"$ref", "#/$defs/" + name}}; }

/* The document of dump and make: the body layout chosen by "generation". */
Json DumpSchema() {
    auto panels = [](const char* layout) {
        return Json{{"properties", {{"panels", {{"type", "array"}, {"items", Ref(layout)}}}}}};
    };
    Json schema = Closed({{"generation", {{"enum", {"R100", "R120"}}}},
                          {"header", Ref("header")},
                          {"panels", {{"type", "array"}}}},
                         {"header", "panels"});
    schema["if"] = {{"properties", {{"generation", {{"const", "R120"}}}}}, {"required", {"generation"}}};
    schema["then"] = panels("R120");
    schema["else"] = panels("R100");
    return schema;
}

Json ShowSchema() {
    Json line = {{"index", Integer(0, kBinFileSize)}};
    Json required = {"index"};
    for (size_t i = 0; i < kShowFieldCount; ++i) {
        /* The column's field in either generation: both describe it alike. */
        ForEachField(R100BodyLayout(), [&](size_t, const FieldSpec& def) {
            if (std::string(def.name) == kShowFields[i]) line[def.name] = FieldSchema(def);
            return true;
        });
        required.push_back(kShowFields[i]);
    }
    return Closed({{"file", {{"type", "string"}}},
                   {"generation", {{"enum", {"R100", "R120"}}}},
                   {"generationFrom", {{"type", "string"}}},
                   {"header", Ref("header")},
                   {"panels", {{"type", "array"}, {"items", Closed(line, required)}}}},
                  {"file", "generation", "generationFrom", "header", "panels"});
}

Json CheckSchema() {
    const Json text = {{"type", "string"}};
    return Closed({{"file", text},
                   {"sound", {{"type", "boolean"}}},
                   {"fault", {{"type", {"string", "null"}}}},
                   {"generation", {{"enum", {"R100", "R120", nullptr}}}},
                   {"generationFrom", text},
                   {"panels", Integer(0, kBinFileSize)},
                   {"warnings", {{"type", "array"}, {"items", text}}},
                   {"strict", {{"type", "boolean"}}},
                   {"exitStatus", {{"enum", {kExitOk, kExitFailed}}}}},
                  {"file", "sound", "fault", "generation", "generationFrom", "panels", "warnings",
                   "strict", "exitStatus"});
}

Json DiffSchema() {
    const Json text = {{"type", "string"}};
    const Json count = {{"type", {"integer", "null"}}, {"minimum", 0}};
    Json difference = Closed(
        {{"panel", count},
         {"field", {{"type", {"string", "null"}}}},
         {"part", {{"enum", {"value", "entry", "text", "text bytes", "after the text", "reserved",
                             "padding", "added", "removed", "generation"}}}},
         {"byte", count},
         {"from", Json::object()},
         {"to", Json::object()},
         {"line", text}},
        {"panel", "field", "part", "byte", "from", "to", "line"});
    return Closed({{"a", text},
                   {"b", text},
                   {"same", {{"type", "boolean"}}},
                   {"count", Integer(0, std::numeric_limits<KS_S32>::max())},
                   {"differences", {{"type", "array"}, {"items", difference}}}},
                  {"a", "b", "same", "count", "differences"});
}

}  // namespace

int RunSchema(const Options& options) {
    if (options.logLineSchema) {
        Json schema = {{"$schema", "https://json-schema.org/draft/2020-12/schema"},
                       {"title", "a line of panelbin's --log"}};
        schema.update(LogLineSchema());
        std::cout << schema.dump(2) << '\n';
        return kExitOk;
    }
    const std::string what = options.schema.empty() ? "dump" : options.schema;
    Json schema = {{"$schema", "https://json-schema.org/draft/2020-12/schema"},
                   {"title", "panelbin " + what + (what == "dump" ? " document" : " --json")}};
    schema["$ref"] = "#/$defs/" + what;
    schema["$defs"] = {{"dump", DumpSchema()},
                       {"show", ShowSchema()},
                       {"check", CheckSchema()},
                       {"diff", DiffSchema()},
                       {"header", RecordSchema(PanelHeaderLayout())},
                       {"R100", RecordSchema(R100BodyLayout())},
                       {"R120", RecordSchema(R120BodyLayout())}};
    std::cout << schema.dump(2) << '\n';
    return kExitOk;
}
