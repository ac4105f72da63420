/* diff: every differing byte of two files' records, named by the field
 * that holds it (or the spare bytes), in the values the Java side sees. */
#include <stdio.h>

#include <iostream>

#include "panel/model/field_codec.h"
#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/field_text.h"
#include "tools/panelbin/input.h"
#include "tools/panelbin/panel_file.h"
#include "tools/panelbin/spare_bytes.h"

namespace {

struct Difference {
    long long panel; /* -1: not a panel's */
    std::string field; /* empty: no field's */
    std::string part;  /* value, entry, text, text bytes, after the text, reserved, padding,
                          added, removed, generation */
    long long byte;    /* entry or byte number, -1: none */
    Json from, to;
    std::string line;
};

class Differences {
public:
    const std::vector<Difference>& all() const { return m_all; }

    void Generation(PanelGeneration a, PanelGeneration b) {
        if (a != b)
            Add({-1, "", "generation", -1, GenerationName(a), GenerationName(b),
                 std::string("generation: ") + GenerationName(a) + " -> " + GenerationName(b)});
    }

    void Panel(long long panel, const char* part, const Json& name, bool removed) {
        Add({panel, "", part, -1, removed ? name : Json(nullptr), removed ? Json(nullptr) : name,
             Where(panel) + ": " + part + " (" + name.dump() + ")"});
    }

    /* Two records, field by field under the field's name; spare bytes
     * byte by byte when the layouts are the same. */
    void Records(long long panel, const RecordLayout& la, const KS_U8* a, const RecordLayout& lb,
                 const KS_U8* b) {
        ForEachField(la, [&](size_t, const FieldSpec& da) {
            const FieldSpec* db = FieldNamed(lb, da.name);
            if (db == nullptr)
                Add({panel, da.name, "removed", -1, FieldToJson(da, a), nullptr,
                     Where(panel) + " " + da.name + ": removed (" + FieldText(FieldToJson(da, a)) + ")"});
            else
                Field(panel, da, a, *db, b);
            return true;
        });
        ForEachField(lb, [&](size_t, const FieldSpec& db) {
            if (FieldNamed(la, db.name) == nullptr)
                Add({panel, db.name, "added", -1, nullptr, FieldToJson(db, b),
                     Where(panel) + " " + db.name + ": added (" + FieldText(FieldToJson(db, b)) + ")"});
            return true;
        });
        if (&la != &lb) return;
        for (const SpareRange& range : SpareRanges(la))
            for (size_t k = range.offset; k < range.offset + range.width; ++k)
                if (a[k] != b[k]) {
                    const char* part = range.reserved ? "reserved" : "padding";
                    Add({panel, "", part, static_cast<long long>(k), a[k], b[k],
                         Where(panel) + " " + part + " byte " + std::to_string(k) + ": " +
                             std::to_string(a[k]) + " -> " + std::to_string(b[k])});
                }
    }

private:
    static std::string Where(long long panel) {
        return panel < 0 ? "header" : "panel " + std::to_string(panel);
    }

    void Add(Difference difference) { m_all.push_back(std::move(difference)); }

    void Field(long long panel, const FieldSpec& da, const KS_U8* a, const FieldSpec& db,
               const KS_U8* b) {
        const std::string at = Where(panel) + " " + da.name;
        if (da.kind == FieldKind::kText && db.kind == FieldKind::kText && da.width == db.width)
            return Text(panel, at, da, a, db, b);
        if (da.kind == FieldKind::kBytes && db.kind == FieldKind::kBytes && da.width == db.width) {
            for (size_t k = 0; k < da.width; ++k) {
                const KS_U8 x = a[da.offset + k], y = b[db.offset + k];
                if (x != y)
                    Add({panel, da.name, "entry", static_cast<long long>(k), x, y,
                         at + "[" + std::to_string(k) + "]: " + std::to_string(x) + " -> " +
                             std::to_string(y)});
            }
            return;
        }
        /* The forms are lossless: different values are different bytes. */
        const Json x = FieldToJson(da, a), y = FieldToJson(db, b);
        if (x != y) Add({panel, da.name, "value", -1, x, y, at + ": " + FieldText(x) + " -> " + FieldText(y)});
    }

    /* The text as Java reads it (or its bytes, where they read alike), then
     * each byte after the terminating zero that differs, unless the other
     * text's own bytes already said it. */
    void Text(long long panel, const std::string& at, const FieldSpec& da, const KS_U8* a,
              const FieldSpec& db, const KS_U8* b) {
        const KS_U8* x = a + da.offset;
        const KS_U8* y = b + db.offset;
        const size_t lx = TextLength(da, a), ly = TextLength(db, b);
        if (std::string(x, x + lx) != std::string(y, y + ly)) {
            const std::string tx = TextOf(FieldToJson(da, a)), ty = TextOf(FieldToJson(db, b));
            if (tx != ty)
                Add({panel, da.name, "text", -1, tx, ty, at + ": " + Json(tx).dump() + " -> " + Json(ty).dump()});
            else
                Add({panel, da.name, "text bytes", -1, std::vector<int>(x, x + lx),
                     std::vector<int>(y, y + ly),
                     at + ", text bytes: " + Json(std::vector<int>(x, x + lx)).dump() + " -> " +
                         Json(std::vector<int>(y, y + ly)).dump()});
        }
        for (size_t k = 0; k < da.width; ++k) {
            if (x[k] == y[k]) continue;
            const bool afterX = k > lx, afterY = k > ly;
            const bool said = !(afterX && afterY) && !(afterX && x[k] != 0) && !(afterY && y[k] != 0);
            if (said) continue;
            Add({panel, da.name, "after the text", static_cast<long long>(k), x[k], y[k],
                 at + ", after the text, byte " + std::to_string(k) + ": " + std::to_string(x[k]) +
                     " -> " + std::to_string(y[k])});
        }
    }

    std::vector<Difference> m_all;
};

Json ToJson(const Difference& d) {
    return {{"panel", d.panel < 0 ? Json(nullptr) : Json(d.panel)},
            {"field", d.field.empty() ? Json(nullptr) : Json(d.field)},
            {"part", d.part},
            {"byte", d.byte < 0 ? Json(nullptr) : Json(d.byte)},
            {"from", d.from},
            {"to", d.to},
            {"line", d.line}};
}

}  // namespace

namespace {

/* One side of the comparison: its records, or why they are not compared. */
struct Side {
    std::string name;
    std::string damage; /* the container's fault, "" for a sound file */
    std::string error;  /* why it could not be read at all */
    int errorStatus = kExitOk;
    bool read = false;
    PanelFile file;
};

/* A damaged side is still compared where the reader reads it whole; a
 * short one is not: its records would read as zeros. */
Side LoadSide(const std::string& path, const PanelGeneration* given) {
    Side side;
    side.name = InputName(path);
    try {
        const BinInput input(path);
        const BinCheck check = CheckInput(input, side.name, given);
        if (!check.status.ok()) side.damage = check.status.text;
        side.read = ReadCheckedPanels(input, side.name, check, given, &side.file);
    } catch (const Failure& failure) {
        if (failure.exitStatus() != kExitFile) throw;
        side.error = failure.what();
        side.errorStatus = failure.exitStatus();
    }
    return side;
}

Differences Compare(const PanelFile& a, const PanelFile& b) {
    Differences differences;
    differences.Generation(a.generation, b.generation);
    differences.Records(-1, PanelHeaderLayout(), reinterpret_cast<const KS_U8*>(&a.header),
                        PanelHeaderLayout(), reinterpret_cast<const KS_U8*>(&b.header));
    const RecordLayout& la = BodyLayout(a.generation);
    const RecordLayout& lb = BodyLayout(b.generation);
    for (size_t i = 0; i < a.bodies.size() || i < b.bodies.size(); ++i) {
        const long long panel = static_cast<long long>(i);
        if (i >= b.bodies.size())
            differences.Panel(panel, "removed", TextOf(RecordToJson(la, a.bodies[i].data())["chName"]), true);
        else if (i >= a.bodies.size())
            differences.Panel(panel, "added", TextOf(RecordToJson(lb, b.bodies[i].data())["chName"]), false);
        else
            differences.Records(panel, la, a.bodies[i].data(), lb, b.bodies[i].data());
    }
    return differences;
}

/* A side that cannot be read outranks a damaged one, which outranks a
 * difference: the verdict on the records needs both read whole. */
int StatusOf(const Side& a, const Side& b, const Differences& differences) {
    if (a.errorStatus != kExitOk) return a.errorStatus;
    if (b.errorStatus != kExitOk) return b.errorStatus;
    if (!a.damage.empty() || !b.damage.empty()) return kExitDamaged;
    return differences.all().empty() ? kExitOk : kExitFailed;
}

Json SideJson(const Side& side) {
    return {{"file", side.name},
            {"damaged", side.damage.empty() ? Json(nullptr) : Json(side.damage)},
            {"error", side.error.empty() ? Json(nullptr) : Json(side.error)},
            {"compared", side.read}};
}

}  // namespace

int RunDiff(const Options& options) {
    PanelGeneration chip;
    const PanelGeneration* given = ChipOption(options.chip, &chip);
    if (options.file == "-" && options.other == "-")
        throw Failure(kExitUsage, "only one of A and B can be standard input");
    const Side a = LoadSide(options.file, given);
    const Side b = LoadSide(options.other, given);
    const bool compared = a.read && b.read;
    const Differences differences = compared ? Compare(a.file, b.file) : Differences();
    const int status = StatusOf(a, b, differences);
    if (options.json) {
        Json list = Json::array();
        for (const Difference& d : differences.all()) list.push_back(ToJson(d));
        Json result = {{"a", options.file}, {"b", options.other},
                       {"same", compared ? Json(list.empty()) : Json(nullptr)},
                       {"sides", {SideJson(a), SideJson(b)}},
                       {"count", list.size()}, {"differences", list}, {"exitStatus", status}};
        std::cout << PrettyJson(result) << '\n';
        return status;
    }
    for (const Side* side : {&a, &b}) {
        if (!side->damage.empty())
            printf("%s: damaged: %s%s\n", side->name.c_str(), side->damage.c_str(),
                   side->read ? " (compared as the reader reads it)" : "");
        if (!side->error.empty()) fprintf(stderr, "panelbin: %s\n", side->error.c_str());
    }
    for (const Difference& d : differences.all()) printf("%s\n", d.line.c_str());
    return status;
}
