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

/* Each field's meaning, in the words of the record declarations; the
 * timing fields' come from TimingMeaning. */
const struct {
    const char* field;
    const char* meaning;
} kMeanings[] = {
    {"chName", "panel name"},
    {"u32PanelWidth", "active width in pixels"},
    {"u32Panelheight", "active height in lines"},
    {"u32FrameRateMax", "highest frame rate"},
    {"bSupport48Hz", "panel accepts 48 Hz"},
    {"en3DType", "3D format"},
    {"enResolutionType", "resolution class"},
    {"enIntfType", "interface (LVDS, V-by-One, mini-LVDS)"},
    {"enPanelLinkType", "number of links"},
    {"enPanelBitWidth", "bits per colour"},
    {"u32LvdsSpreadRatio", "LVDS spread-spectrum ratio"},
    {"enLvdsSpreadFreq", "LVDS spread-spectrum frequency"},
    {"enLvdsFmt", "LVDS bit mapping (VESA, JEIDA, FP)"},
    {"enLink1", "pixel stream on LVDS link 1"},
    {"enLink2", "pixel stream on LVDS link 2"},
    {"enLink3", "pixel stream on LVDS link 3"},
    {"enLink4", "pixel stream on LVDS link 4"},
    {"enLvdsDrvCurrent", "LVDS drive swing"},
    {"enLvdsComVoltage", "LVDS common-mode voltage"},
    {"bGroupSwap", "V-by-One: swap the lane groups"},
    {"bLeftInternalSwap", "V-by-One: swap lanes inside the left group"},
    {"bRightInternalSwap", "V-by-One: swap lanes inside the right group"},
    {"bBit0AtHighBit", "V-by-One: bit 0 is sent at the high bit position"},
    {"enDataMode", "V-by-One data mode (bits per pixel and sampling)"},
    {"enVb1ByteNum", "V-by-One byte mode (3, 4 or 5 bytes)"},
    {"enVb1Current", "V-by-One drive swing"},
    {"enVb1Emphasis", "V-by-One pre-emphasis"},
    {"u32Vb1SpreadRatio", "V-by-One spread-spectrum ratio"},
    {"enVb1SpreadFreq", "V-by-One spread-spectrum frequency"},
    {"u16HsyncWidth", "horizontal sync pulse width, in pixels, shared by the three timings"},
    {"u16VsyncWidth", "vertical sync pulse width, in lines, shared by the three timings"},
    {"bHSyncOutput", "drive the horizontal sync signal"},
    {"bVSyncOutput", "drive the vertical sync signal"},
    {"bHSyncNegative", "horizontal sync is active low"},
    {"bVSyncNegative", "vertical sync is active low"},
    {"bDeNegative", "data enable is active low"},
    {"bPwmPostive", "backlight PWM is active high"},
    {"u32DimmingFreq60hz", "backlight dimming frequency at 60 Hz"},
    {"u32DimmingFreq50hz", "backlight dimming frequency at 50 Hz"},
    {"u32DimmingFreq48hz", "backlight dimming frequency at 48 Hz"},
    {"u32IntfSignalOnDelay", "power-on delay of the interface signal"},
    {"u32BLOnDelay", "backlight-on delay"},
    {"u32BLOffDelay", "backlight-off delay"},
    {"u32IntfSignalOffDelay", "power-off delay of the interface signal"},
    {"bFrmRateChangeBlack", "show black while the frame rate changes"},
    {"u32MuteTime", "mute time"},
    {"bLocalDimmingSupport", "panel supports local dimming"},
    {"u8HorAreaNum", "local-dimming zones across"},
    {"u8VerAreaNum", "local-dimming zones down"},
    {"enPanelFlipType", "flip and mirror"},
    {"enPanelFixrateType", "fixed output rate"},
    {"enTimmingChangeType", "how a timing change is applied"},
    {"u32ChangeStep", "step of a gradual timing change"},
    {"enDivisionType", "image division"},
    {"cPqBinPath", "path of the panel's PQ bin file"},
    {"u32PanelBackLightPwm", "backlight PWM value"},
    {"u32BlPwmUserMin", "lowest backlight PWM value the user may set"},
    {"u32BlPwmUserMax", "highest backlight PWM value the user may set"},
    {"sendI2c", "send the I2C commands of i2cDataArray"},
    {"pullGpio", "apply the GPIO settings of gpioDataSingleArray"},
    {"localdimingSupport", "panel supports local dimming"},
    {"tconToi2cDelay", "delay from timing-controller start to the first I2C command"},
    {"i2cItervalDelay", "delay between I2C commands"},
    {"i2cCmdNum", "number of I2C commands"},
    {"i2cCmdLen", "length of one I2C command in bytes"},
    {"i2cDataArray", "I2C command bytes"},
    {"gpioNum", "number of GPIO entries in use"},
    {"gpioDataSingleArray", "8 GPIO entries of 3 bytes"},
    {"matrixNum", "number of local-dimming matrix entries in use"},
    {"ldmActNumSingleArray", "6 local-dimming entries of 2 bytes"},
    {"checkSumInHead", "the protocol checksum sits in the head"},
    {"checkSumPos", "byte position of the checksum"},
    {"protHeadLength", "number of protocol head bytes"},
    {"protTailLength", "number of protocol tail bytes"},
    {"protHeadDataArray", "protocol head bytes"},
    {"protTailDataArray", "protocol tail bytes"},
    {"enMedia", "board storage medium that holds the panel index"},
    {"u32Addr", "address on that medium"},
    {"u32TotalNum", "number of panels"},
    {"u32Index", "index of the selected panel"},
};

const char kClockUnitRule[] =
    "the records carry no unit: panelbin reads it in Hz, kHz, 10 kHz or MHz, the unit under "
    "which most of the file's panels' 60 Hz timings come within 2 % of 60 Hz (--clock-unit "
    "names another)";

/* stTiming60HzPixelClk, stTiming50HzHtotal, u16Timing48HzVsyncFP, ... */
std::string TimingMeaning(const std::string& field) {
    const size_t at = field.find("Timing");
    if (at == std::string::npos || field.size() < at + 10) return "";
    const std::string rate = field.substr(at + 6, 2), member = field.substr(at + 10);
    const std::string timing = " of the " + rate + " Hz timing";
    if (member == "PixelClk") return "pixel clock" + timing + "; " + kClockUnitRule;
    if (member == "Htotal") return "total pixels per line" + timing + ", blanking included";
    if (member == "Vtotal") return "total lines per frame" + timing + ", blanking included";
    if (member == "HsyncFP")
        return "horizontal sync front porch" + timing +
               "; the back porch is Htotal - u32PanelWidth - front porch - u16HsyncWidth";
    if (member == "VsyncFP")
        return "vertical sync front porch" + timing +
               "; the back porch is Vtotal - u32Panelheight - front porch - u16VsyncWidth";
    return "";
}

std::string Meaning(const char* field) {
    for (const auto& row : kMeanings)
        if (std::string(row.field) == field) return row.meaning;
    return TimingMeaning(field);
}

/* An enumerated field by {"id": ...} (with its name, or its stored value as
 * "raw"), by {"name": ...}, or by its identifier or name alone. */
Json EnumeratedSchema(const FieldSpec& def) {
    Json names = Json::array({nullptr});
    for (size_t i = 0; i < def.names->count; ++i) names.push_back(def.names->entries[i].name);
    Json id = Integer(kIntMin, std::numeric_limits<KS_S32>::max());
    /* Without "raw", an option's id must be one of its choices. */
    Json choices = Json::array(), choiceNames = Json::array();
    for (KS_S32 k = 0; k < 64; ++k) {
        const KS_U32 member = ToMember(def, k);
        if (!IsEnumChoice(*def.names, member)) continue;
        choices.push_back(k);
        choiceNames.push_back(EnumNameOf(*def.names, member));
    }
    Json byId = {{"required", {"id"}}};
    if (def.kind != FieldKind::kCopy) byId["properties"] = {{"id", {{"enum", choices}}}};
    Json byName = {{"required", {"name"}}, {"properties", {{"name", {{"enum", choiceNames}}}}}};
    Json object = Closed({{"id", id}, {"name", {{"enum", names}}}, {"raw", RawForm(def)}},
                         Json::array());
    object["anyOf"] = {{{"required", {"raw"}}}, byId, byName};
    const Json idAlone = def.kind != FieldKind::kCopy ? Json{{"enum", choices}} : id;
    return {{"anyOf", {object, idAlone, {{"enum", choiceNames}}}}};
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
    const std::string meaning = Meaning(def.name);
    schema["description"] = (meaning.empty() ? "" : meaning + "; ") + "offset " +
                            std::to_string(def.offset) + ", " + std::to_string(def.width) +
                            " byte" + (def.width == 1 ? "" : "s");
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

const Json kText = {{"type", "string"}};
const Json kTextOrNull = {{"type", {"string", "null"}}};

/* How the pixel clock was read: --clock-unit or the file's panels. */
Json ClockSchema() {
    const Json count = {{"type", {"integer", "null"}}, {"minimum", 0}};
    return {{"oneOf",
             {{{"type", "null"}},
              Closed({{"unit", {{"enum", {"Hz", "kHz", "10 kHz", "MHz", nullptr}}}},
                      {"from", kText},
                      {"fitting", count},
                      {"panels", count}},
                     {"unit", "from", "fitting", "panels"})}}};
}

/* A timing as stored and derived; rates as decimals of three places. */
Json TimingSchema() {
    const Json u32 = Integer(0, MemberMax(4));
    const Json signed64 = {{"type", "integer"}};
    const Json decimal = {{"type", {"string", "null"}}, {"pattern", "^[0-9]+\\.[0-9]{3}$"}};
    Json properties = {{"nominalHz", {{"enum", {60, 50, 48}}}},
                       {"given", {{"type", "boolean"}}},
                       {"claimedBy", kTextOrNull}};
    for (const char* key : {"pixelClock", "htotal", "vtotal", "hFrontPorch", "hSync", "vFrontPorch",
                            "vSync"})
        properties[key] = u32;
    for (const char* key : {"hBackPorch", "hBlank", "vBackPorch", "vBlank"}) properties[key] = signed64;
    for (const char* key : {"pixelClockMHz", "lineKHz", "refreshHz"}) properties[key] = decimal;
    Json required = Json::array();
    for (const auto& item : properties.items()) required.push_back(item.key());
    return Closed(properties, required);
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
    line["timings"] = {{"type", "array"}, {"items", TimingSchema()}, {"minItems", 3}, {"maxItems", 3}};
    required.push_back("timings");
    return Closed({{"file", kText},
                   {"damaged", kTextOrNull},
                   {"generation", {{"enum", {"R100", "R120", nullptr}}}},
                   {"generationFrom", kTextOrNull},
                   {"header", {{"oneOf", {{{"type", "null"}}, Ref("header")}}}},
                   {"clock", ClockSchema()},
                   {"panels", {{"type", "array"}, {"items", Closed(line, required)}}}},
                  {"file", "damaged", "generation", "generationFrom", "header", "clock", "panels"});
}

Json CheckSchema() {
    const Json count = Integer(0, std::numeric_limits<KS_S32>::max());
    Json finding = Closed({{"panel", {{"type", {"integer", "null"}}, {"minimum", 0}}},
                           {"field", kTextOrNull},
                           {"level", {{"enum", {"error", "warning"}}}},
                           {"reason", kText},
                           {"line", kText}},
                          {"panel", "field", "level", "reason", "line"});
    return Closed({{"file", kText},
                   {"sound", {{"type", "boolean"}}},
                   {"fault", kTextOrNull},
                   {"generation", {{"enum", {"R100", "R120", nullptr}}}},
                   {"generationFrom", kText},
                   {"panels", Integer(0, kBinFileSize)},
                   {"clock", ClockSchema()},
                   {"findings", {{"type", "array"}, {"items", finding}}},
                   {"errors", count},
                   {"warnings", count},
                   {"conformity", {{"enum", {"PASS", "FAIL"}}}},
                   {"strict", {{"type", "boolean"}}},
                   {"exitStatus", {{"enum", {kExitOk, kExitFailed}}}}},
                  {"file", "sound", "fault", "generation", "generationFrom", "panels", "clock",
                   "findings", "errors", "warnings", "conformity", "strict", "exitStatus"});
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
    Json side = Closed({{"file", text},
                        {"damaged", kTextOrNull},
                        {"error", kTextOrNull},
                        {"compared", {{"type", "boolean"}}}},
                       {"file", "damaged", "error", "compared"});
    return Closed({{"a", text},
                   {"b", text},
                   {"same", {{"type", {"boolean", "null"}}}},
                   {"sides", {{"type", "array"}, {"items", side}, {"minItems", 2}, {"maxItems", 2}}},
                   {"count", Integer(0, std::numeric_limits<KS_S32>::max())},
                   {"differences", {{"type", "array"}, {"items", difference}}},
                   {"exitStatus", {{"enum", {kExitOk, kExitFailed, kExitFile, kExitDamaged}}}}},
                  {"a", "b", "same", "sides", "count", "differences", "exitStatus"});
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
