/* The panel payloads of the board link and the link starts that preset the
 * panel command. */
#include "board/panel_exchange.h"

#include <string.h>

#include "board/panel_commands.h"
#include "include/Communication_c.h"
#include "comm/link_access.h"
#include "base/ks_coding.h"
#include "include/ks_unf_panel.h"

namespace {

/* The sub-command goes first, 32 bits little-endian, as the board reads it. */
const size_t kCmdSize = 4;

}  // namespace

bool StartPanelLinkTcp(const char* ip, int port) {
    /* Narrowed to 16 bits, 65616 would quietly become port 80. */
    if (ip == nullptr || port < 0 || port > 0xFFFF) return false;
    return StartEthernetConnectionWithCmd(ip, port, KS_MDBG_CMD_PANEL);
}

bool StartPanelLinkSerial(const char* portName, int timeout, unsigned int baudRate,
                          unsigned char dataBits, unsigned char stopBits, unsigned char parity,
                          unsigned int flowControl) {
    if (portName == nullptr) return false;
    return StartUARTConnectionWithCmd(portName, timeout, baudRate, dataBits, stopBits, parity,
                                      flowControl, KS_MDBG_CMD_PANEL);
}

bool SendPanelInfo(PanelGeneration generation, const void* body) {
    KS_U8 data[kCmdSize + sizeof(KS_UNF_PANEL_INFO_S_R120)];
    const size_t infoSize = PanelInfoSize(generation);
    KS_EncodeU32(data, PANEL_CMD_WRITE_INFO);
    memcpy(data + kCmdSize, body, infoSize);
    return WriteMSGWithoutCmd(data, static_cast<int>(kCmdSize + infoSize)) == 1;
}

bool FetchPanelInfo(PanelGeneration generation, void* body) {
    memset(body, 0, BodySize(generation));
    KS_U8 data[kCmdSize];
    KS_EncodeU32(data, PANEL_CMD_READ_INFO);
    return ReadMSGWithoutCmd(data, static_cast<int>(sizeof data), body,
                             static_cast<int>(PanelInfoSize(generation))) == 1;
}
