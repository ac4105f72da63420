/* The one-line-per-panel table that show prints, and pull for the board's
 * panel. */
#ifndef PANELBIN_SHOW_H
#define PANELBIN_SHOW_H

#include <string>

#include "tools/panelbin/record_json.h"

/* The fields whose values show prints (and show --json gives) per panel. */
extern const char* const kShowFields[];
extern const size_t kShowFieldCount;

/* `backlight`: with the backlight column, which a board does not hold;
 * `refresh`: with the column of refresh rates. */
void PrintPanelTableHead(bool backlight, bool refresh = false);
/* One line from a panel's JSON (RecordToJson of a body), `label` in the
 * index column, `refresh`, if given, in the refresh column. */
void PrintPanelLine(const std::string& label, const Json& panel, bool backlight,
                    const std::string* refresh = nullptr);

#endif
