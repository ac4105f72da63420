/* Capping a failure text and the words of a call that ran out or never got the link. */
#include "comm/FailureText.h"

#include "comm/BoardCall.h"

namespace {

std::string LimitInSeconds() { return std::to_string(kBoardCallLimitMs / 1000) + " s"; }

bool ContinuesCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

void CapFailureText(std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return;
    size_t cut = maxBytes;
    while (cut > 0 && ContinuesCharacter(text[cut])) --cut;
    text.resize(cut);
}

void NoteIfCallRanOut(std::string& text) {
    if (!BoardCall::RanOut()) return;
    const std::string notice = " The board call ran out of its " + LimitInSeconds() + " limit.";
    CapFailureText(text, kFailureTextCapBytes - notice.size());
    text += notice;
}

std::string BusyLinkText() {
    return "The board link was busy for the whole " + LimitInSeconds() + " limit of the call.";
}
