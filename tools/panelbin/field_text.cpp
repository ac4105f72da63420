/* Field values in lines of differences, for diff and verify alike. */
#include "tools/panelbin/field_text.h"

std::string FieldText(const Json& value) {
    if (value.is_object() && value.contains("id"))
        return value["id"].dump() +
               (value["name"].is_string() ? " (" + value["name"].get<std::string>() + ")" : "");
    return value.dump();
}
