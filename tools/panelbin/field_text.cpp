/* Field values in lines of differences, for diff and verify alike. */
#include "tools/panelbin/field_text.h"

/* 1 (VBONE) for an enumerated value, raw 7 for a stored one, JSON for the rest. */
std::string FieldText(const Json& value) {
    if (!value.is_object() || !(value.contains("id") || value.contains("raw")))
        return value.dump();
    std::string text = value.contains("id") ? value["id"].dump() : "";
    if (value.contains("name") && value["name"].is_string())
        text += " (" + value["name"].get<std::string>() + ")";
    if (value.contains("raw")) text += (text.empty() ? "raw " : ", raw ") + value["raw"].dump();
    return text;
}
