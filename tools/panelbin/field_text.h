/* Fields as a person names and reads them: a value in a line of
 * differences ("1 (VBONE)" for an enumerated value, JSON for the rest), an
 * option's choices, a field by its name, and the field meant by a misspelt
 * key. */
#ifndef PANELBIN_FIELD_TEXT_H
#define PANELBIN_FIELD_TEXT_H

#include <string>

#include "tools/panelbin/record_json.h"

std::string FieldText(const Json& value);

/* "0 LVDS, 1 VBONE, 2 MINLVDS": the identifiers an enumerated field takes,
 * each with its enumerator's name. */
std::string ChoiceList(const FieldSpec& def);

/* The identifier of the choice named `name` ("VBONE", any case). */
bool ChoiceNamed(const FieldSpec& def, const std::string& name, KS_S32* id);

/* The field of the layout named `name`, or null. */
const FieldSpec* FieldNamed(const RecordLayout& layout, const char* name);

/* The field of the layout whose name is nearest to `key` (fewest edits,
 * case aside), or "" when none is near enough to be what was meant. */
std::string NearestField(const RecordLayout& layout, const std::string& key);

#endif
