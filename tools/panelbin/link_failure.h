/* A board link failure in plain words. The link's own texts stay exactly as
 * they are (the Java application shows them through getStrError); the tool
 * says first what they mean, then quotes them. */
#ifndef PANELBIN_LINK_FAILURE_H
#define PANELBIN_LINK_FAILURE_H

#include <string>

/* The plain words for a text of the link ("connection refused"), or "" when
 * no entry of the table knows it. */
std::string PlainWords(const std::string& linkText);

/* "<target>: <plain words> (<what>; the link said: <text>)", or the text
 * alone in place of the words where the table knows none for it. */
std::string DescribeLinkFailure(const std::string& target, const std::string& what,
                                const std::string& linkText);

#endif
