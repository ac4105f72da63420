/* set: fields of one record changed in place. The record goes through the
 * same JSON as dump and make, so set refuses what make refuses; the file is
 * written whole or not at all, every other record as it was. */
#include <stdio.h>

#include "panel/model/field_codec.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/field_text.h"
#include "tools/panelbin/json_input.h"
#include "tools/panelbin/panel_file.h"

namespace {

/* The value as the document would hold it: a text as it is, anything else
 * as JSON (a number, {"raw": ...}, an array); what does not parse stays a
 * string, which names a choice of an option or is refused as make refuses
 * it. */
Json ValueFor(const FieldSpec* def, const std::string& key, const std::string& text) {
    if (def != nullptr && def->kind == FieldKind::kText) return text;
    try {
        return ParseDocument(text, "the value of " + key);
    } catch (const Failure&) {
        return text;
    }
}

/* "header" or the number of a panel the file holds. */
long long RecordNumber(const std::string& text, size_t panels) {
    if (text == "header") return -1;
    char* end = nullptr;
    const long long number = strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || number < 0 || static_cast<size_t>(number) >= panels)
        throw Failure(kExitUsage, "INDEX must be header or a panel number below " +
                                      std::to_string(panels) + ", not \"" + CutText(text) + "\"");
    return number;
}

}  // namespace

int RunSet(const Options& options) {
    if (options.file == "-") throw Failure(kExitUsage, "set changes a file in place, not standard input");
    PanelGeneration chip;
    PanelFile file = LoadPanelFile(options.file, ChipOption(options.chip, &chip));
    const long long number = RecordNumber(options.record, file.bodies.size());
    const RecordLayout& layout = number < 0 ? PanelHeaderLayout() : BodyLayout(file.generation);
    KS_U8* record = number < 0 ? reinterpret_cast<KS_U8*>(&file.header)
                               : file.bodies[static_cast<size_t>(number)].data();
    Json object = RecordToJson(layout, record);
    for (const std::string& assignment : options.assignments) {
        const size_t equals = assignment.find('=');
        if (equals == std::string::npos || equals == 0)
            throw Failure(kExitUsage, "an assignment is key=value, not \"" + CutText(assignment) + "\"");
        const std::string key = assignment.substr(0, equals);
        object[key] = ValueFor(FieldNamed(layout, key.c_str()), key, assignment.substr(equals + 1));
    }
    const std::string where = number < 0 ? "header" : "panel " + std::to_string(number);
    std::vector<KS_U8> changed(layout.recordSize, 0);
    std::vector<std::string> errors;
    RecordFromJson(layout, object, where, nullptr, changed.data(), &errors);
    if (!errors.empty()) {
        std::string text = "nothing written:";
        for (const std::string& error : errors) text += "\n  " + error;
        throw Failure(kExitFailed, text);
    }
    std::copy(changed.begin(), changed.end(), record);
    WritePanelFile(options.file, file);
    printf("%s: %s: %zu field%s set\n", options.file.c_str(), where.c_str(),
           options.assignments.size(), options.assignments.size() == 1 ? "" : "s");
    return kExitOk;
}
