/* Makes bin files with the library's own writer, as seeds for the reader's
 * fuzzing: both generations, with 0, 1 and 3 panels, or (--full) as many as
 * a file holds. Trailing zero bytes are cut off, since the reader reads a
 * short file as padded with them; so a small file stays small.
 *
 *   make_corpus [--full] DIRECTORY */
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "include/ks_db.h"
#include "tests/fuzz/fake_jni.h"
#include "panel/model/field_table.h"
#include "panel/java/bin_operations.h"

namespace {

const size_t kContainerOverhead = 8 + 36 + 36 + 16 + 36; /* header, tables, header key */
const size_t kKeyOverhead = 36;

/* Every kind of value a panel carries, different in each panel: texts with
 * two- and three-byte characters and a surrogate pair, options and flags
 * across their range, numbers wider than their members. */
void FillPanel(fakejni::FakeJvm& jvm, jobject panel, const RecordLayout& layout, int number) {
    ForEachField(layout, [&](size_t index, const FieldSpec& def) {
        int k = static_cast<int>(index);
        switch (def.kind) {
            case FieldKind::kText: {
                std::u16string text = u"Panel \u00e9\u9762\U0001F4FA " +
                                      std::u16string(static_cast<size_t>(number % 40), u'x');
                jvm.SetObject(panel, def.name, "Ljava/lang/String;", jvm.NewJavaString(text));
                break;
            }
            case FieldKind::kBytes: {
                std::vector<jint> bytes(def.width);
                for (size_t i = 0; i < bytes.size(); ++i)
                    bytes[i] = static_cast<jint>((i * 7 + static_cast<size_t>(number)) & 0xFF);
                jvm.SetObject(panel, def.name, "[I", jvm.NewJavaIntArray(bytes));
                break;
            }
            case FieldKind::kFlag:
                jvm.SetInt(panel, def.name, (number + k) % 2);
                break;
            case FieldKind::kOption:
                jvm.SetInt(panel, def.name, (number + k) % 5);
                break;
            default:
                jvm.SetInt(panel, def.name, number * 70001 + k);
                break;
        }
        return true;
    });
}

bool TrimTrailingZeros(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return false;
    while (!bytes.empty() && bytes.back() == 0) bytes.pop_back();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

bool MakeFile(fakejni::FakeJvm& jvm, const std::string& directory, const char* chip, int panels,
              const char* label) {
    const RecordLayout& layout = strcmp(chip, "R120") == 0 ? R120BodyLayout() : R100BodyLayout();
    jobject header = jvm.NewInstance("com/kestrel/vimora/model/HeaderParam");
    jvm.SetInt(header, "enMedia", panels % 4);
    jvm.SetInt(header, "u32Addr", 0x100000);
    jvm.SetInt(header, "u32TotalNum", panels);
    jvm.SetInt(header, "u32Index", panels > 0 ? panels - 1 : 0);
    std::vector<jobject> objects;
    for (int i = 0; i < panels; ++i) {
        objects.push_back(jvm.NewInstance(layout.javaClass));
        FillPanel(jvm, objects.back(), layout, i);
    }
    std::string path = directory + (strcmp(chip, "R120") == 0 ? "/r120-" : "/r100-") + label + ".bin";
    jobjectArray array = jvm.NewJavaObjectArray(layout.javaClass, objects);
    KS_S32 made = MakePanelBin(jvm.Env(), nullptr, header, array, jvm.NewJavaString(path.c_str()),
                               jvm.NewJavaString(chip));
    bool pending = jvm.ExceptionPending();
    jvm.EndCall();
    if (made != 0 || pending || !TrimTrailingZeros(path)) {
        fprintf(stderr, "make_corpus: could not make %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool full = argc == 3 && strcmp(argv[1], "--full") == 0;
    if (argc != 2 && !full) {
        fprintf(stderr, "usage: make_corpus [--full] DIRECTORY\n");
        return 2;
    }
    std::string directory = argv[argc - 1];
    fakejni::FakeJvm jvm;
    bool ok = true;
    for (const char* chip : {"R100", "R120"}) {
        if (full) {
            const RecordLayout& layout =
                strcmp(chip, "R120") == 0 ? R120BodyLayout() : R100BodyLayout();
            size_t most = (KS_DB_IMAGE_SIZE - kContainerOverhead) / (kKeyOverhead + layout.recordSize);
            ok = MakeFile(jvm, directory, chip, static_cast<int>(most), "full") && ok;
            continue;
        }
        for (int panels : {0, 1, 3})
            ok = MakeFile(jvm, directory, chip, panels, std::to_string(panels).c_str()) && ok;
    }
    return ok ? 0 : 1;
}
