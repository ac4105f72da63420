/* A board link failure in plain words, one table for panelbin and for the
 * reasons Java reads through MakeBinDiagnostics. The link's own texts stay
 * exactly as they are (getStrError hands them out unchanged); the words say
 * first what they mean, then quote them. Internal C++: not exported. */
#ifndef BOARD_LINK_FAILURE_H
#define BOARD_LINK_FAILURE_H

#include <string>

/* The plain words for a text of the link ("connection refused"), or "" when
 * no entry of the table knows it. */
std::string PlainWords(const std::string& linkText);

/* "<target>: <plain words> (<what>; the link said: <text>)", or the text
 * alone in place of the words where the table knows none for it. */
std::string DescribeLinkFailure(const std::string& target, const std::string& what,
                                const std::string& linkText);

#endif
