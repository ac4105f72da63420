/* The table from the board link's texts to plain words. The texts are
 * composed from fixed pieces ("Failed to connect the ip and port.") and the
 * system's strerror words ("Connection refused"), so an entry names the
 * pieces that must all occur; the first entry whose pieces all occur wins,
 * which is why the specific entries of a piece come before its general
 * one. A text no entry knows (a later version of the link may add some) is
 * shown as it is. */
#include "board/link_failure.h"

#include <string.h>

#include <string>

#include "comm/BoardCall.h"
#include "comm/UART.h"

namespace {

struct Meaning {
    const char* pieces[2]; /* the second may be null */
    const char* words; /* "{wait}": the link's limit of one wait; "{call}": of a whole call */
};

const Meaning kMeanings[] = {
    {{"The board link was busy for the whole", nullptr},
     "the link stayed busy with another call for the whole {call} limit"},
    {{"The board call ran out of its", nullptr}, "the board call ran out of its {call} limit"},
    {{"Can not connect to the Serial Port", "Inappropriate ioctl"},
     "not a serial port (it is no terminal; nothing was written to it)"},
    {{"Failed to set comm param", "Inappropriate ioctl"}, "not a serial port (it is no terminal)"},
    {{"Can not connect to the Serial Port", "Resource temporarily unavailable"},
     "in use by another program"},
    {{"Can not connect to the Serial Port", "Device or resource busy"}, "in use by another program"},
    {{"Can not connect to the Serial Port", "No such file or directory"}, "no such port"},
    {{"Can not connect to the Serial Port", "Permission denied"},
     "no permission to open it (is your user in the dialout group?)"},
    {{"Can not connect to the Serial Port", nullptr}, "the port cannot be opened"},
    {{"Failed to send SHELL_CMD", nullptr}, "the port takes no bytes (the start text did not go out)"},
    {{"Failed to connect the ip and port", "Connection refused"}, "connection refused"},
    {{"select over time", "Failed to connect the ip and port"}, "no answer to the connection within 3 s"},
    {{"Failed to connect the ip and port", "No route to host"}, "no route to the host"},
    {{"Failed to connect the ip and port", "Network is unreachable"}, "network unreachable"},
    {{"Failed to connect the ip and port", nullptr}, "cannot connect"},
    {{"Failed to read ip.", nullptr}, "not a dotted IPv4 address"},
    {{"Failed to receive 0xA0 respond", "timed out"},
     "no answer from the board within {wait} (after the header)"},
    {{"Failed to receive 0xB0 respond", "timed out"},
     "no answer from the board within {wait} (after the data)"},
    {{"Failed to receive 0xA0 respond", nullptr}, "the line failed awaiting the answer to the header"},
    {{"Failed to receive 0xB0 respond", nullptr}, "the line failed awaiting the answer to the data"},
    {{"Failed to check 0xA0 respond", nullptr}, "the board answered the header with a wrong byte"},
    {{"Failed to check 0xB0 respond", nullptr}, "the board answered the data with a wrong byte"},
    {{"Failed to check respond", nullptr}, "the board answered with a wrong byte"},
    {{"Failed to receive respond", "Connection reset"}, "the board closed the connection"},
    {{"Failed to receive respond", "timed out"}, "no answer from the board within {wait}"},
    {{"Failed to receive respond", nullptr}, "no answer from the board"},
    {{"Failed to receive data", "Connection reset"}, "the board closed the connection mid-reply"},
    {{"Failed to receive data", "timed out"}, "the board's reply stopped short (nothing more within {wait})"},
    {{"Failed to receive data", nullptr}, "the board's reply stopped short"},
    {{"Failed to receive checksum", nullptr}, "the board's reply stopped before its checksum"},
    {{"Failed to check checksum", nullptr}, "the board's reply is damaged (its checksum does not match)"},
    {{"Failed to send", "timed out"}, "the line took no bytes within {wait}"},
    {{"Failed to send", nullptr}, "cannot send to the board"},
    {{"Failed to make socket", nullptr}, "no network socket to be had"},
    {{"Failed to malloc memory", nullptr}, "out of memory"},
};

bool Contains(const std::string& text, const char* piece) {
    return piece == nullptr || text.find(piece) != std::string::npos;
}

void Fill(std::string* words, const char* placeholder, long seconds) {
    size_t at = words->find(placeholder);
    if (at != std::string::npos) words->replace(at, strlen(placeholder), std::to_string(seconds) + " s");
}

}  // namespace

std::string PlainWords(const std::string& linkText) {
    for (const Meaning& meaning : kMeanings) {
        if (!Contains(linkText, meaning.pieces[0]) || !Contains(linkText, meaning.pieces[1]))
            continue;
        std::string words = meaning.words;
        Fill(&words, "{wait}", UART::TIME_OUT / 1000);
        Fill(&words, "{call}", static_cast<long>(kBoardCallLimitMs / 1000));
        return words;
    }
    return "";
}

std::string DescribeLinkFailure(const std::string& target, const std::string& what,
                                const std::string& linkText) {
    std::string words = PlainWords(linkText);
    if (words.empty()) return target + ": " + what + ": " + linkText;
    return target + ": " + words + " (" + what + "; the link said: " + linkText + ")";
}
