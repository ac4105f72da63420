/* Bounds on the board link's failure texts and the words a call adds when
 * its limit ran out or it never got the link. A text keeps the composed
 * form of one failure; the cap only guards against a port name of any
 * length, so that getStrError never hands out an unbounded string. */
#ifndef FAILURETEXT_H
#define FAILURETEXT_H

#include <stddef.h>

#include <string>

/* The most bytes a failure text of the link holds. */
const size_t kFailureTextCapBytes = 1024;

/* Cuts `text` to at most `maxBytes` bytes, never inside a UTF-8 character. */
void CapFailureText(std::string& text, size_t maxBytes = kFailureTextCapBytes);

/* When the call on this thread used up its limit, says so at the end of
 * `text`, keeping the cap. */
void NoteIfCallRanOut(std::string& text);

/* The text of a call that never got the link within its limit. */
std::string BusyLinkText();

#endif
