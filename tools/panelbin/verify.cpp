/* The comparison behind push --verify and verify: both bodies become the
 * dump's JSON, and the fields that lie inside the panel info record are
 * compared by value, so a difference reads as dump and diff show it. */
#include "tools/panelbin/verify.h"

#include "board/panel_exchange.h"
#include "tools/panelbin/field_text.h"
#include "tools/panelbin/panel_file.h"

namespace {

/* Calls visit(name) for each field inside the generation's panel info. */
template <typename Visit>
void ForEachPanelInfoField(PanelGeneration generation, Visit visit) {
    const size_t infoSize = PanelInfoSize(generation);
    ForEachField(BodyLayout(generation), [&](size_t, const FieldSpec& field) {
        if (static_cast<size_t>(field.offset) + field.width <= infoSize) visit(field.name);
        return true;
    });
}

}  // namespace

std::vector<std::string> PanelInfoDifferences(PanelGeneration generation, const KS_U8* fileBody,
                                              const KS_U8* boardBody) {
    const RecordLayout& layout = BodyLayout(generation);
    const Json file = RecordToJson(layout, fileBody);
    const Json board = RecordToJson(layout, boardBody);
    std::vector<std::string> differences;
    ForEachPanelInfoField(generation, [&](const char* name) {
        const Json& a = file[name];
        const Json& b = board[name];
        if (a == b) return;
        std::string at = name;
        if (a.is_array() && b.is_array() && a.size() == b.size()) {
            /* A byte array: its first differing entry, not all its bytes. */
            size_t k = 0;
            while (a[k] == b[k]) ++k;
            at += "[" + std::to_string(k) + "]";
            differences.push_back(at + ": file " + a[k].dump() + ", board " + b[k].dump());
            return;
        }
        differences.push_back(at + ": file " + FieldText(a) + ", board " + FieldText(b));
    });
    return differences;
}

size_t PanelInfoFieldCount(PanelGeneration generation) {
    size_t count = 0;
    ForEachPanelInfoField(generation, [&count](const char*) { ++count; });
    return count;
}
