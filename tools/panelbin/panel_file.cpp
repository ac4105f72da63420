/* Loading, writing and converting whole panel bin files. */
#include "tools/panelbin/panel_file.h"

#include <algorithm>
#include <iostream>
#include <iterator>

#include "tools/panelbin/failure.h"
#include "tools/panelbin/input.h"

namespace {

const char* const kDocumentKeys[] = {"generation", "header", "panels"};

/* A file that cannot be read is not a damaged one. */
int ExitStatusOf(BinFault fault) {
    switch (fault) {
        case BinFault::kOpen:
        case BinFault::kRead:
        case BinFault::kWrite:
        case BinFault::kNoMemory:
            return kExitFile;
        default:
            return kExitFailed;
    }
}

Failure ReaderFailure(const std::string& path, const BinFileReader& reader) {
    return Failure(ExitStatusOf(reader.status().fault), path + ": " + reader.status().text);
}

/* So many problems are not read one by one: the first few and a count. */
const size_t kProblemsShown = 20;

/* The generation the file's first panel was made for. */
PanelGeneration StoredGeneration(const std::string& path, BinFileReader* reader,
                                 std::string* source) {
    KS_U32 size = 0;
    if (!reader->FirstPanelSize(&size)) throw ReaderFailure(path, *reader);
    for (PanelGeneration g : {PanelGeneration::kR100, PanelGeneration::kR120}) {
        if (size == BodySize(g)) {
            *source = "from the stored panel size";
            return g;
        }
    }
    *source = size == 0 ? "assumed: the file holds no panels"
                        : "assumed: the first panel holds " + std::to_string(size) +
                              " bytes, the size of neither chip series";
    return PanelGeneration::kR100;
}

std::string Where(size_t panel) { return "panel " + std::to_string(panel); }

PanelGeneration DocumentGeneration(const Json& document, const PanelGeneration* chip,
                                   std::vector<std::string>* errors) {
    if (!document.contains("generation")) return chip != nullptr ? *chip : PanelGeneration::kR100;
    const Json& stated = document["generation"];
    if (stated != "R100" && stated != "R120") {
        errors->push_back("key generation: must be \"R100\" or \"R120\", not " + Echo(stated));
        return chip != nullptr ? *chip : PanelGeneration::kR100;
    }
    PanelGeneration generation = GenerationOf(stated.get<std::string>().c_str());
    if (chip != nullptr && *chip != generation)
        errors->push_back(std::string("--chip ") + GenerationName(*chip) + " disagrees with the " +
                          "document's generation " + GenerationName(generation));
    return chip != nullptr ? *chip : generation;
}

}  // namespace

const PanelGeneration* ChipOption(const std::string& chip, PanelGeneration* storage) {
    if (chip.empty()) return nullptr;
    *storage = GenerationOf(chip.c_str());
    return storage;
}

const RecordLayout& BodyLayout(PanelGeneration generation) {
    return generation == PanelGeneration::kR120 ? R120BodyLayout() : R100BodyLayout();
}

PanelFile LoadPanelFile(const std::string& path, const PanelGeneration* chip, KS_S32 only) {
    const BinInput input(path);
    return LoadPanelImage(input, InputName(path), chip, only);
}

BinCheck CheckInput(const BinInput& input, const std::string& name, const PanelGeneration* chip) {
    BinCheck check;
    if (input.overLong() || input.size() != kBinFileSize) {
        /* The bytes unread: a regular file is named by its own length, a
         * stream only as far as it was kept. */
        const std::string size = input.overLong() ? "more than " + std::to_string(kBinFileSize)
                                                  : std::to_string(input.size());
        (void)check.status.Fail(BinFault::kFileSize, "file is %s bytes, expected %u", size.c_str(),
                                kBinFileSize);
        return check;
    }
    check = CheckBinImage(input.bytes(), input.size(), chip);
    if (check.status.fault == BinFault::kRead || check.status.fault == BinFault::kNoMemory)
        throw Failure(kExitFile, name + ": " + check.status.text);
    return check;
}

bool ReadCheckedPanels(const BinInput& input, const std::string& name, const BinCheck& check,
                       const PanelGeneration* chip, PanelFile* file) {
    if (check.status.fault == BinFault::kFileSize) return false;
    try {
        *file = LoadPanelImage(input, name, chip);
        return true;
    } catch (const Failure& failure) {
        if (check.status.ok() || failure.exitStatus() == kExitFile) throw;
        return false;
    }
}

PanelFile LoadPanelImage(const BinInput& input, const std::string& name,
                         const PanelGeneration* chip, KS_S32 only) {
    PanelFile file;
    BinFileReader reader;
    if (!reader.OpenImage(input.bytes(), input.imageSize(), PanelGeneration::kR100))
        throw ReaderFailure(name, reader);
    if (chip != nullptr) {
        file.generation = *chip;
        file.generationSource = "from --chip";
    } else {
        file.generation = StoredGeneration(name, &reader, &file.generationSource);
    }
    /* The reader checks each panel's size against the generation it opened with. */
    if (file.generation != PanelGeneration::kR100 &&
        !reader.OpenImage(input.bytes(), input.imageSize(), file.generation))
        throw ReaderFailure(name, reader);
    KS_U32 count = 0;
    if (!reader.ReadHeader(&file.header) || !reader.CountPanels(&count))
        throw ReaderFailure(name, reader);
    const KS_U32 first = only < 0 ? 0 : static_cast<KS_U32>(only);
    const KS_U32 end = only < 0 ? count : first + 1;
    for (KS_U32 i = first; i < end; ++i) {
        std::vector<KS_U8> body(BodySize(file.generation));
        if (!reader.ReadPanel(static_cast<KS_S32>(i), body.data())) throw ReaderFailure(name, reader);
        file.indices.push_back(i);
        file.bodies.push_back(std::move(body));
    }
    return file;
}

Json PanelFileToJson(const PanelFile& file) {
    Json panels = Json::array();
    for (const std::vector<KS_U8>& body : file.bodies)
        panels.push_back(RecordToJson(BodyLayout(file.generation), body.data()));
    return {{"generation", GenerationName(file.generation)},
            {"header", RecordToJson(PanelHeaderLayout(),
                                    reinterpret_cast<const KS_U8*>(&file.header))},
            {"panels", panels}};
}

PanelFile PanelFileFromJson(const Json& document, const PanelGeneration* chip) {
    std::vector<std::string> errors;
    PanelFile file;
    if (!document.is_object())
        throw Failure(kExitFailed, "the document must be an object with the keys generation, "
                                   "header and panels");
    for (const auto& item : document.items())
        if (std::find(std::begin(kDocumentKeys), std::end(kDocumentKeys), item.key()) ==
            std::end(kDocumentKeys))
            errors.push_back("unknown key " + CutText(item.key()) + " (the document has generation, "
                             "header and panels)");
    file.generation = DocumentGeneration(document, chip, &errors);
    const RecordLayout& layout = BodyLayout(file.generation);
    const RecordLayout& other = BodyLayout(file.generation == PanelGeneration::kR120
                                               ? PanelGeneration::kR100
                                               : PanelGeneration::kR120);
    if (!document.contains("header"))
        errors.push_back("missing key header");
    else
        RecordFromJson(PanelHeaderLayout(), document["header"], "header", nullptr,
                       reinterpret_cast<KS_U8*>(&file.header), &errors);
    if (!document.contains("panels") || !document["panels"].is_array()) {
        errors.push_back(document.contains("panels") ? "key panels: must be an array"
                                                     : "missing key panels");
    } else {
        for (const Json& panel : document["panels"]) {
            std::vector<KS_U8> body(layout.recordSize, 0);
            RecordFromJson(layout, panel, Where(file.bodies.size()), &other, body.data(), &errors);
            file.indices.push_back(static_cast<KS_U32>(file.bodies.size()));
            file.bodies.push_back(std::move(body));
        }
    }
    if (!errors.empty()) {
        std::string text = std::to_string(errors.size()) + " problem" +
                           (errors.size() == 1 ? "" : "s") + " in the JSON, nothing written:";
        for (size_t i = 0; i < errors.size() && i < kProblemsShown; ++i) text += "\n  " + errors[i];
        if (errors.size() > kProblemsShown)
            text += "\n  and " + std::to_string(errors.size() - kProblemsShown) + " more";
        throw Failure(kExitFailed, text);
    }
    return file;
}

void WritePanelFile(const std::string& path, const PanelFile& file) {
    const size_t size = BodySize(file.generation);
    std::vector<KS_U8> bodies;
    bodies.reserve(size * file.bodies.size());
    for (const std::vector<KS_U8>& body : file.bodies)
        bodies.insert(bodies.end(), body.begin(), body.end());
    BinStatus status;
    if (path != "-") {
        if (!WriteBinFile(path.c_str(), file.header, bodies.data(), file.bodies.size(),
                          file.generation, &status))
            throw Failure(ExitStatusOf(status.fault), path + ": " + status.text);
        return;
    }
    /* Standard output gets the image whole, or the command fails. */
    std::vector<KS_U8> image;
    status = BuildBinImage(file.header, bodies.data(), file.bodies.size(), file.generation, &image);
    if (!status.ok()) throw Failure(ExitStatusOf(status.fault), "standard output: " + std::string(status.text));
    std::cout.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    std::cout.flush();
    if (!std::cout) throw Failure(kExitFile, "standard output: cannot write the image");
}
