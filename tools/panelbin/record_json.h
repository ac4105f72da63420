/* Records as JSON, one key per field of the field table under the Java
 * model's field name, every value converted by the field codec: what a
 * reader would put in the Java object, and back what makePanelBin would
 * store from it.
 *
 * Values: ints as Java sees them (a 32-bit member of 0xFFFFFFFF is -1);
 * enumerated fields as {"id": <identifier>, "name": <stored enumerator>};
 * texts as UTF-8 strings; byte members as arrays of numbers, all of their
 * bytes. */
#ifndef PANELBIN_RECORD_JSON_H
#define PANELBIN_RECORD_JSON_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "panel/model/field_table.h"

/* Keys in field-table order, so a dump reads like the record. */
using Json = nlohmann::ordered_json;

Json RecordToJson(const RecordLayout& layout, const KS_U8* record);

/* Fills the zeroed record (layout.recordSize bytes) from `object` and sets
 * its reserved words. Every problem is appended to *errors as
 * "<where>, key <field>: ..." or "<where>: ..."; the record is only
 * complete when none was. `other`, if given, is the other generation's
 * layout: a key of its own is reported as such rather than as unknown. */
void RecordFromJson(const RecordLayout& layout, const Json& object, const std::string& where,
                    const RecordLayout* other, KS_U8* record, std::vector<std::string>* errors);

/* JSON for a person: one key per line, but an object or array of plain
 * values on one line ({"id": 1, "name": "VBONE"}, the 120 bytes of
 * i2cDataArray). */
std::string PrettyJson(const Json& value, size_t indent = 0);

/* An int field's value from a record's JSON: the number, or the "id" of an
 * enumerated one. */
long long JsonInt(const Json& value);

#endif
