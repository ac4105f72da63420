/* The bytes of a record that no field holds: the reserved words, which the
 * writer fills with 0xFF, and any gap between members (the R120 body's
 * padding byte), which it leaves 0. Found from the field table, so the
 * document and diff account for every byte of a record without a list of
 * their own. */
#ifndef PANELBIN_SPARE_BYTES_H
#define PANELBIN_SPARE_BYTES_H

#include <vector>

#include "panel/model/field_table.h"

struct SpareRange {
    KS_U16 offset;
    KS_U16 width;
    KS_U8 fill; /* what the writer puts there */
    bool reserved; /* a reserved word, rather than a gap between members */
};

/* In ascending offset order; fields, reserved words and gaps together
 * cover every byte of the record exactly once. */
const std::vector<SpareRange>& SpareRanges(const RecordLayout& layout);

#endif
