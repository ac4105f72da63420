/* The process-wide board link: it picks the transport in use and fills each
 * request record with the preset header magic and command. */
#include "comm/Communication.h"

#include <string.h>

#include "comm/BoardAddress.h"
#include "comm/BoardCall.h"
#include "comm/CommonAlgorithm.h"
#include "comm/ks_msg.h"

namespace {

/* The command of the frame that closes a serial link. */
const KS_U16 kUartSwitchCmd = 0x1000;

bool LengthFits(KS_S32 length) { return length >= 0 && length <= KS_MSG_MAX_DATA_LEN; }

}  // namespace

Communication::Communication() : m_connType(kNone), m_magic(KS_MSG_DEFAULT_MAGIC), m_cmd(0) {}

Communication::~Communication() {}

void Communication::PresetHeader(int16_t cmd, KS_S32 magic) {
    if (magic != 0) m_magic = static_cast<KS_U32>(magic);
    m_cmd = cmd;
}

/* Every method that reaches a board runs as one board call: called
 * directly it has a limit of its own, under the flat interface it joins the
 * call that waited for the link.
 *
 * A start of either kind first ends a link of the other kind: a serial
 * port left open under a network link would stay locked against every other
 * program until the host exits, as EndConnection reaches only the kind in
 * use. */
bool Communication::StartConnection(const char* ip, int16_t port) {
    if (!IsUsableBoardAddress(ip) || port < 0) return false;
    BoardCall call;
    if (UART::IsOpen()) EndSerialLink();
    m_connType = kNetwork;
    return m_ethernet.StartConnection(ip, port);
}

/* The kind is switched before the transport is asked, so that the text of
 * a start that fails is the one GetStrErr hands out. */
bool Communication::StartConnection(const char* portName, KS_S32 timeout, KS_U32 baudRate,
                                    KS_U8 dataBits, KS_U8 stopBits, KS_U8 parity,
                                    KS_U32 flowControl) {
    if (portName == nullptr || timeout <= 0) return false;
    BoardCall call;
    // The network link keeps no connection; ending it only says it is over.
    if (m_connType == kNetwork) m_ethernet.EndConnection();
    m_connType = kSerial;
    return m_uart.StartConnection(portName, timeout, baudRate, dataBits, stopBits, parity,
                                  flowControl);
}

/* The kind stays as it was: a network link needs no start to be used again,
 * and the last failure text stays readable. */
bool Communication::EndConnection() {
    BoardCall call;
    if (m_connType == kNetwork) return m_ethernet.EndConnection();
    if (m_connType != kSerial) return false;
    return EndSerialLink();
}

/* The end-of-link frame tells the board's console to switch back, then the
 * port is closed. */
bool Communication::EndSerialLink() {
    KS_WRITE_MSG endOfLink;
    memset(&endOfLink, 0, sizeof endOfLink);
    KS_MSG_SetHeader(&endOfLink, m_magic, kUartSwitchCmd, 0);
    KS_U8 frame[KS_MSG_HEAD_LEN];
    KS_MSG_PutHeader(endOfLink, frame);
    // The board may already be gone; the port is closed all the same.
    m_uart.SwitchBeforeEndConn(frame, sizeof frame);
    return m_uart.EndConnection();
}

template <typename MSG>
void Communication::FillRecord(MSG* msg, const void* data, KS_S32 dataLen, KS_S32 magic,
                               int16_t cmd) const {
    memset(msg, 0, sizeof *msg);
    KS_U32 wireMagic = magic != 0 ? static_cast<KS_U32>(magic) : m_magic;
    KS_U16 wireCmd = static_cast<KS_U16>(cmd != 0 ? cmd : m_cmd);
    KS_MSG_SetHeader(msg, wireMagic, wireCmd, static_cast<KS_U16>(dataLen));
    msg->pData = static_cast<const KS_U8*>(data);
    msg->u32DataCheckSum = CommonAlgorithm::GetCheckSum(data, dataLen);
}

bool Communication::ReadMSG(const void* data, KS_S32 dataLen, void* recvBuf, KS_S32 recvLen,
                            KS_S32 magic, int16_t cmd) {
    if (data == nullptr || recvBuf == nullptr || !LengthFits(dataLen) || !LengthFits(recvLen))
        return false;
    BoardCall call;
    KS_READ_MSG msg;
    FillRecord(&msg, data, dataLen, magic, cmd);
    msg.pRecvData = static_cast<KS_U8*>(recvBuf);
    msg.u16RecvLen = static_cast<KS_U16>(recvLen);
    if (m_connType == kNetwork) return m_ethernet.ReadMSG(&msg);
    if (m_connType == kSerial) return m_uart.ReadMSG(&msg);
    return false;
}

bool Communication::WriteMSG(const void* data, KS_S32 dataLen, KS_S32 magic, int16_t cmd) {
    if (data == nullptr || !LengthFits(dataLen)) return false;
    BoardCall call;
    KS_WRITE_MSG msg;
    FillRecord(&msg, data, dataLen, magic, cmd);
    if (m_connType == kNetwork) return m_ethernet.WriteMSG(&msg);
    if (m_connType == kSerial) return m_uart.WriteMSG(&msg);
    return false;
}

const char* Communication::GetStrErr() {
    if (m_connType == kNetwork) return Ethernet::GetErrorPrint();
    if (m_connType == kSerial) return m_uart.GetErrorPrint();
    return nullptr;
}
