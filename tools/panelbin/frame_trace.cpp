/* The trace decoder: bytes sent are cut into the pieces the frame code of
 * ks_msg.h lays out (a header's checksum is checked by sealing its decoded
 * fields again), bytes received are cut by the sizes the link asked to
 * read, which is how it tells a respond byte from a reply and its checksum. */
#include "tools/panelbin/frame_trace.h"

#include <errno.h>
#include <string.h>

#include "board/panel_commands.h"
#include "comm/CommonAlgorithm.h"
#include "base/SysCalls.h"
#include "comm/UART.h"
#include "comm/ks_msg.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/wall_clock.h"

namespace {

const size_t kHexPerLine = 32;

uint64_t Now() { return RealSysCalls().NowMs(); }

std::string Hex(const KS_U8* bytes, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && i % kHexPerLine == 0) text += "\n           ";
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

std::string Number(const char* format, unsigned long value) {
    char text[64];
    snprintf(text, sizeof text, format, value);
    return text;
}

std::string SumText(const char* what, KS_U32 sent, KS_U32 computed) {
    return std::string(what) + Number(" 0x%08lx", sent) +
           (sent == computed ? " (ok)" : Number(" (wrong: the bytes sum to 0x%08lx)", computed));
}

std::string CommandName(KS_U16 cmd) {
    switch (cmd) {
        case KS_MDBG_CMD_UART_SWITCH: return " (end of link)";
        case KS_MDBG_CMD_ECHO_ACK: return " (echo)";
        case KS_MDBG_CMD_PQ: return " (PQ)";
        case KS_MDBG_CMD_PANEL: return " (panel)";
        case KS_MDBG_CMD_VIR: return " (vir)";
        default: return "";
    }
}

/* The four magic bytes as text where they are printable ("KSTV"). */
std::string MagicText(const KS_U8* bytes, KS_U32 magic) {
    std::string text = Number("0x%08lx", magic);
    for (int i = 0; i < 4; ++i)
        if (bytes[i] < 0x20 || bytes[i] > 0x7e) return text;
    return text + " \"" + std::string(reinterpret_cast<const char*>(bytes), 4) + "\"";
}

std::string RespondName(KS_U8 respond) {
    switch (respond) {
        case 0xA0: return " (header taken)";
        case 0xB0: return " (data taken)";
        case 0xD0: return " (frame taken)";
        case 0xE0: return " (request done)";
        default: return " (not a respond of the link)";
    }
}

}  // namespace

void FrameTrace::Open(const std::string& path) {
    m_startMs = Now();
    m_file.reset(fopen(path.c_str(), "w"));
    if (!m_file) throw Failure(kExitFile, path + ": cannot be written: " + strerror(errno));
    fprintf(m_file.get(), "# panelbin trace; +0.000 is %s; > host to board, < board to host\n",
            UtcNow().c_str());
}

void FrameTrace::Close() {
    if (!m_file) return;
    // Called from a destructor, which cannot fail the command; it can say so.
    if (fclose(m_file.release()) != 0) fprintf(stderr, "panelbin: the trace is incomplete\n");
}

void FrameTrace::Begin(bool serial) {
    m_serial = serial;
    m_out.clear();
    m_in.clear();
    m_asked = 0;
    m_dataAwaited = 0;
    m_lastReply.clear();
    m_awaited = serial ? kNothing : kConnection;
}

void FrameTrace::End() {
    if (m_asked > 0) DecodeReceived(false);
    m_awaited = kNothing;
}

/* One line, "+SECONDS text", flushed so that a run cut short keeps it. */
void FrameTrace::Note(const std::string& text) {
    if (!m_file) return;
    uint64_t at = Now() - m_startMs;
    fprintf(m_file.get(), "+%llu.%03llu %s\n", static_cast<unsigned long long>(at / 1000),
            static_cast<unsigned long long>(at % 1000), text.c_str());
    fflush(m_file.get());
}

void FrameTrace::Sent(const KS_U8* bytes, size_t n) {
    if (m_asked > 0) DecodeReceived(false);
    m_lastReply.clear();
    m_out.insert(m_out.end(), bytes, bytes + n);
    DecodeSent();
}

void FrameTrace::Received(size_t asked, const KS_U8* bytes, size_t n) {
    if (m_asked == 0) m_asked = asked;
    m_in.insert(m_in.end(), bytes, bytes + n);
    if (m_in.size() >= m_asked) DecodeReceived(true);
}

void FrameTrace::DecodeHeader(const KS_U8* bytes) {
    KS_WRITE_MSG header;
    KS_MSG_SetHeader(&header, KS_DecodeU32(bytes), static_cast<KS_U16>(KS_DecodeLE(bytes + 4, 2)),
                     static_cast<KS_U16>(KS_DecodeLE(bytes + 6, 2)));
    Note("> header magic " + MagicText(bytes, header.u32Magic) +
         Number(" cmd 0x%04lx", header.u16Cmd) + CommandName(header.u16Cmd) +
         Number(" len %lu ", header.u16DataLen) +
         SumText("head-sum", KS_DecodeU32(bytes + 8), header.u32HeadCheckSum) + "\n           " +
         Hex(bytes, KS_MSG_HEAD_LEN));
    bool endOfLink = m_serial && header.u16Cmd == KS_MDBG_CMD_UART_SWITCH && header.u16DataLen == 0;
    m_dataAwaited = endOfLink ? 0 : header.u16DataLen + 1u;
    m_awaited = m_serial ? kHeaderAnswer : kDataAnswer;
}

void FrameTrace::DecodeDataPart(const KS_U8* bytes, size_t dataLen) {
    std::string kind;
    if (dataLen >= 4) {
        KS_U32 sub = KS_DecodeU32(bytes);
        kind = sub == PANEL_CMD_READ_INFO    ? " sub-command 0 (read panel info)"
               : sub == PANEL_CMD_WRITE_INFO ? " sub-command 1 (write panel info)"
                                             : Number(" sub-command %lu", sub);
    }
    KS_U32 computed = CommonAlgorithm::GetCheckSum(bytes, static_cast<KS_S32>(dataLen));
    Note("> data " + std::to_string(dataLen) + " bytes" + kind + ", " +
         SumText("data-sum", KS_DecodeU32(bytes + dataLen), computed) + "\n           " +
         Hex(bytes, dataLen));
    m_dataAwaited = 0;
    m_awaited = kDataAnswer;
}

/* Decodes whatever whole pieces the bytes sent so far hold: the serial
 * start text, a header, the data part it announced. */
void FrameTrace::DecodeSent() {
    const std::string start = UART::SHELL_CMD;
    for (;;) {
        std::vector<KS_U8>& out = m_out;
        size_t used = 0;
        if (m_dataAwaited > 0) {
            size_t dataLen = m_dataAwaited - 1;
            if (out.size() < dataLen + KS_MSG_SUM_LEN) return;
            DecodeDataPart(out.data(), dataLen);
            used = dataLen + KS_MSG_SUM_LEN;
        } else if (m_serial && !out.empty() && out[0] == static_cast<KS_U8>(start[0])) {
            if (out.size() < start.size()) return;
            Note("> start text \"" + std::string(out.begin(), out.begin() + start.size()) + "\"");
            used = start.size();
        } else {
            if (out.size() < KS_MSG_HEAD_LEN) return;
            DecodeHeader(out.data());
            used = KS_MSG_HEAD_LEN;
        }
        out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(used));
    }
}

/* A read the link asked for is complete (or was cut short): one line for
 * it, named by its size and what came before. */
void FrameTrace::DecodeReceived(bool complete) {
    const std::vector<KS_U8>& in = m_in;
    std::string shortBy = complete ? "" : " (cut short: " + std::to_string(in.size()) + " of " +
                                              std::to_string(m_asked) + " bytes)";
    if (m_asked == 1 && complete) {
        Note(Number("< respond 0x%02lx", in[0]) + RespondName(in[0]));
        m_awaited = kReply;
    } else if (m_asked == KS_MSG_SUM_LEN && complete && !m_lastReply.empty()) {
        KS_U32 computed = CommonAlgorithm::GetCheckSum(m_lastReply.data(),
                                                       static_cast<KS_S32>(m_lastReply.size()));
        Note("< " + SumText("reply-sum", KS_DecodeU32(in.data()), computed));
        m_lastReply.clear();
    } else {
        Note("< reply " + std::to_string(in.size()) + " bytes" + shortBy + "\n           " +
             Hex(in.data(), in.size()));
        m_lastReply = in;
    }
    m_in.clear();
    m_asked = 0;
}

