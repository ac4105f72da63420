/* diff: field by field, panel by panel, in the values the Java side sees. */
#include <stdio.h>

#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/field_text.h"
#include "tools/panelbin/panel_file.h"

namespace {

class Differences {
public:
    void Line(const std::string& text) {
        printf("%s\n", text.c_str());
        ++m_count;
    }
    size_t count() const { return m_count; }

    /* Fields of two records; a byte array entry by entry. */
    void Records(const std::string& where, const Json& a, const Json& b) {
        for (const auto& field : a.items()) {
            const std::string at = where + " " + field.key();
            if (!b.contains(field.key())) {
                Line(at + ": removed (" + FieldText(field.value()) + ")");
            } else if (field.value().is_array() && b[field.key()].is_array()) {
                Arrays(at, field.value(), b[field.key()]);
            } else if (field.value() != b[field.key()]) {
                Line(at + ": " + FieldText(field.value()) + " -> " + FieldText(b[field.key()]));
            }
        }
        for (const auto& field : b.items())
            if (!a.contains(field.key()))
                Line(where + " " + field.key() + ": added (" + FieldText(field.value()) + ")");
    }

private:
    void Arrays(const std::string& at, const Json& a, const Json& b) {
        for (size_t k = 0; k < a.size() || k < b.size(); ++k) {
            std::string before = k < a.size() ? a[k].dump() : "none";
            std::string after = k < b.size() ? b[k].dump() : "none";
            if (before != after) Line(at + "[" + std::to_string(k) + "]: " + before + " -> " + after);
        }
    }

    size_t m_count = 0;
};

}  // namespace

int RunDiff(const Options& options) {
    PanelGeneration chip;
    const PanelGeneration* given = ChipOption(options.chip, &chip);
    const Json a = PanelFileToJson(LoadPanelFile(options.file, given));
    const Json b = PanelFileToJson(LoadPanelFile(options.other, given));
    Differences differences;
    if (a["generation"] != b["generation"])
        differences.Line("generation: " + FieldText(a["generation"]) + " -> " + FieldText(b["generation"]));
    differences.Records("header", a["header"], b["header"]);
    const Json& before = a["panels"];
    const Json& after = b["panels"];
    for (size_t i = 0; i < before.size() || i < after.size(); ++i) {
        const std::string where = "panel " + std::to_string(i);
        if (i >= after.size())
            differences.Line(where + ": removed (" + FieldText(before[i]["chName"]) + ")");
        else if (i >= before.size())
            differences.Line(where + ": added (" + FieldText(after[i]["chName"]) + ")");
        else
            differences.Records(where, before[i], after[i]);
    }
    return differences.count() == 0 ? kExitOk : kExitFailed;
}
