/* Reading a JSON document that anyone may have written: bounded in size and
 * depth before any value is built, duplicate keys refused, and objects
 * built in time linear in their keys. */
#ifndef PANELBIN_JSON_INPUT_H
#define PANELBIN_JSON_INPUT_H

#include <string>

#include "tools/panelbin/record_json.h"

/* Limits of a document: far beyond any dump (a full R120 file is some
 * 3 MB, nested 4 deep), far below what would exhaust the tool. */
const size_t kMaxDocumentBytes = 16u << 20;
const size_t kMaxDocumentDepth = 64;

/* The document in `text`; a Failure (kExitFailed) naming `name` and the
 * first thing wrong: not JSON, too large, too deep, or a key given twice. */
Json ParseDocument(const std::string& text, const std::string& name);

#endif
