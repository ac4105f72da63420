/* Loading, writing and converting whole panel bin files. */
#include "tools/panelbin/panel_file.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <iterator>

#include "base/file_io.h"
#include "tools/panelbin/failure.h"

namespace {

const char* const kDocumentKeys[] = {"generation", "header", "panels"};

Failure ReaderFailure(const std::string& path, const BinFileReader& reader) {
    return Failure(kExitFailed, path + ": " + reader.status().text);
}

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
        errors->push_back("key generation: must be \"R100\" or \"R120\", not " + stated.dump());
        return chip != nullptr ? *chip : PanelGeneration::kR100;
    }
    PanelGeneration generation = GenerationOf(stated.get<std::string>().c_str());
    if (chip != nullptr && *chip != generation)
        errors->push_back(std::string("--chip ") + GenerationName(*chip) + " disagrees with the " +
                          "document's generation " + GenerationName(generation));
    return chip != nullptr ? *chip : generation;
}

}  // namespace

bool ReadStream(const std::string& path, std::vector<KS_U8>* image) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 ||
        !(S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISSOCK(st.st_mode)))
        return false;
    FileDescriptor file(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        throw Failure(kExitFailed, path + ": cannot open: " + strerror(errno));
    /* One byte more than a file holds tells a stream that is too long. */
    std::vector<KS_U8> bytes(kBinFileSize + 1);
    ssize_t got = ReadFully(file.get(), bytes.data(), bytes.size());
    if (got < 0) throw Failure(kExitFailed, path + ": cannot read: " + strerror(errno));
    bytes.resize(static_cast<size_t>(got));
    image->swap(bytes);
    return true;
}

const PanelGeneration* ChipOption(const std::string& chip, PanelGeneration* storage) {
    if (chip.empty()) return nullptr;
    *storage = GenerationOf(chip.c_str());
    return storage;
}

const RecordLayout& BodyLayout(PanelGeneration generation) {
    return generation == PanelGeneration::kR120 ? R120BodyLayout() : R100BodyLayout();
}

PanelFile LoadPanelFile(const std::string& path, const PanelGeneration* chip, KS_S32 only) {
    PanelFile file;
    BinFileReader reader;
    std::vector<KS_U8> stream;
    const bool fromStream = ReadStream(path, &stream);
    const auto open = [&](PanelGeneration generation) {
        return fromStream ? reader.OpenImage(stream.data(), stream.size(), generation)
                          : reader.Open(path.c_str(), generation);
    };
    if (!open(PanelGeneration::kR100)) throw ReaderFailure(path, reader);
    if (chip != nullptr) {
        file.generation = *chip;
        file.generationSource = "from --chip";
    } else {
        file.generation = StoredGeneration(path, &reader, &file.generationSource);
    }
    /* The reader checks each panel's size against the generation it opened with. */
    if (file.generation != PanelGeneration::kR100 && !open(file.generation))
        throw ReaderFailure(path, reader);
    KS_U32 count = 0;
    if (!reader.ReadHeader(&file.header) || !reader.CountPanels(&count))
        throw ReaderFailure(path, reader);
    const KS_U32 first = only < 0 ? 0 : static_cast<KS_U32>(only);
    const KS_U32 end = only < 0 ? count : first + 1;
    for (KS_U32 i = first; i < end; ++i) {
        std::vector<KS_U8> body(BodySize(file.generation));
        if (!reader.ReadPanel(static_cast<KS_S32>(i), body.data())) throw ReaderFailure(path, reader);
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
            errors.push_back("unknown key " + item.key() + " (the document has generation, "
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
        for (const std::string& error : errors) text += "\n  " + error;
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
    if (!WriteBinFile(path.c_str(), file.header, bodies.data(), file.bodies.size(),
                      file.generation, &status))
        throw Failure(kExitFailed, path + ": " + status.text);
}
