/* Records as JSON, one key per field of the field table under the Java
 * model's field name, every value converted by the field codec: what a
 * reader would put in the Java object, and back what makePanelBin would
 * store from it.
 *
 * The document is lossless: every byte of a record has a place in it.
 * Values as a person reads them, where they give the stored bytes back:
 *   ints as Java sees them (a 32-bit member of 0xFFFFFFFF is -1);
 *   enumerated fields as {"id": <identifier>, "name": <stored enumerator>};
 *   texts as UTF-8 strings; byte members as arrays of all of their bytes.
 * Where they would not (a file from elsewhere, or an identifier that
 * makePanelBin stored as the option's terminator), the stored value too:
 *   {"id": 5, "name": "BUTT", "raw": 10}  an option's member, with what Java reads;
 *   {"raw": 7}                            a flag holding neither 0 nor 1;
 *   {"text": "ab", "after": [0, 7]}       bytes after a text's terminating zero,
 *                                          trailing zeros left out;
 *   {"text": "a\uFFFD", "bytes": [97, 255]} text bytes that no string gives back;
 *   "reserved": [{"offset": 304, "bytes": [...]}]  reserved words or padding
 *                                          holding other than the writer's fill.
 */
#ifndef PANELBIN_RECORD_JSON_H
#define PANELBIN_RECORD_JSON_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "panel/model/field_table.h"

/* Keys in field-table order, so a dump reads like the record. */
using Json = nlohmann::ordered_json;

/* The key under which a record's spare bytes appear. */
extern const char kReservedKey[];

Json RecordToJson(const RecordLayout& layout, const KS_U8* record);

/* One field's value as RecordToJson gives it. */
Json FieldToJson(const FieldSpec& def, const KS_U8* record);

/* Fills the zeroed record (layout.recordSize bytes) from `object` and sets
 * its reserved words. Every problem is appended to *errors as
 * "<where>, key <field>: ..." or "<where>: ..."; the record is only
 * complete when none was. `other`, if given, is the other generation's
 * layout: a key of its own is reported as such rather than as unknown. */
void RecordFromJson(const RecordLayout& layout, const Json& object, const std::string& where,
                    const RecordLayout* other, KS_U8* record, std::vector<std::string>* errors);

/* The text of a field as Java reads it, from a value in any of its forms. */
std::string TextOf(const Json& value);

/* JSON for a person: one key per line, but an object or array of plain
 * values on one line ({"id": 1, "name": "VBONE"}, the 120 bytes of
 * i2cDataArray). */
std::string PrettyJson(const Json& value, size_t indent = 0);

/* A value quoted in a message: its JSON, cut to a few dozen characters. */
std::string Echo(const Json& value);
/* A key or other plain text quoted in a message, cut alike. */
std::string CutText(const std::string& text);

/* An int field's value from a record's JSON: the number, or the "id" of an
 * enumerated one. */
long long JsonInt(const Json& value);

#endif
