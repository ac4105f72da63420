/* A panel bin file as the tool works on it: its generation, header and
 * panel records, read with the library's reader, and its JSON document
 * {"generation": ..., "header": {...}, "panels": [...]}. */
#ifndef PANELBIN_PANEL_FILE_H
#define PANELBIN_PANEL_FILE_H

#include <string>
#include <vector>

#include "panel/binfile/bin_file.h"
#include "tools/panelbin/input.h"
#include "tools/panelbin/record_json.h"

struct PanelFile {
    PanelGeneration generation = PanelGeneration::kR100;
    std::string generationSource; /* how it was chosen, for a person */
    KS_PANEL_HEADER_S header = {};
    std::vector<KS_U32> indices;           /* of the panels held, in file order */
    std::vector<std::vector<KS_U8>> bodies; /* BodySize(generation) bytes each */
};

/* The --chip option: null when it was not given. */
const PanelGeneration* ChipOption(const std::string& chip, PanelGeneration* storage);

/* Reads the header and every panel (or only panel `only`, when it is not
 * negative). The generation is *chip, or else the one whose size the first
 * stored panel has (R100 when there is none). A reader failure throws a
 * Failure that names the file and the reason. */
PanelFile LoadPanelFile(const std::string& path, const PanelGeneration* chip, KS_S32 only = -1);
/* The same from an input already read, named `name` in messages. */
PanelFile LoadPanelImage(const BinInput& input, const std::string& name,
                         const PanelGeneration* chip, KS_S32 only = -1);

/* The whole-file check of an input: its first fault by name, a size other
 * than 819200 as "file is N bytes, expected 819200" (a stream that held
 * more as "more than 819200 bytes"). A fault of reading itself throws a
 * Failure (kExitFile). */
BinCheck CheckInput(const BinInput& input, const std::string& name, const PanelGeneration* chip);

/* The panels of an input already checked, into *file; false when they are
 * not read: a file of the wrong size reads as zeros, which are no one's
 * values, and a damaged image the reader refuses is left unread. A reader
 * failure of a sound file, or a fault of reading itself, throws. */
bool ReadCheckedPanels(const BinInput& input, const std::string& name, const BinCheck& check,
                       const PanelGeneration* chip, PanelFile* file);

const RecordLayout& BodyLayout(PanelGeneration generation);

Json PanelFileToJson(const PanelFile& file);

/* The inverse of PanelFileToJson. The generation is *chip, or else the
 * document's "generation", or else R100; a disagreement between the two is
 * a problem too. Every problem of the document is collected in the Failure
 * thrown, one line each; nothing is written then. */
PanelFile PanelFileFromJson(const Json& document, const PanelGeneration* chip);

/* Writes the file through the library's writer: whole or not at all. */
void WritePanelFile(const std::string& path, const PanelFile& file);

#endif
