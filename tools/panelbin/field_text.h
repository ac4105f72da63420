/* A field's value from a record's JSON as a person reads it in a line of
 * differences: "1 (VBONE)" for an enumerated value, JSON for the rest. */
#ifndef PANELBIN_FIELD_TEXT_H
#define PANELBIN_FIELD_TEXT_H

#include <string>

#include "tools/panelbin/record_json.h"

std::string FieldText(const Json& value);

#endif
