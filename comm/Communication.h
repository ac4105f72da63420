/* The board link as the rest of the library sees it: one transport of each
 * kind, the kind in use, and the preset header magic and command that fill
 * every request record. */
#ifndef COMMUNICATION_H
#define COMMUNICATION_H

#include <stdint.h>

#include "comm/Ethernet.h"
#include "comm/UART.h"
#include "include/ks_type.h"

class Communication {
public:
    Communication();
    virtual ~Communication();

    /* A zero magic keeps the preset one; the command is always taken. */
    void PresetHeader(int16_t cmd, KS_S32 magic);

    /* Either start first ends a link of the other kind. */
    bool StartConnection(const char* ip, int16_t port);
    bool StartConnection(const char* portName, KS_S32 timeout, KS_U32 baudRate, KS_U8 dataBits,
                         KS_U8 stopBits, KS_U8 parity, KS_U32 flowControl);
    bool EndConnection();

    /* A zero magic or command takes the preset one. Lengths beyond what the
     * header's 16-bit field can carry, or negative, are refused. */
    bool ReadMSG(const void* data, KS_S32 dataLen, void* recvBuf, KS_S32 recvLen, KS_S32 magic,
                 int16_t cmd);
    bool WriteMSG(const void* data, KS_S32 dataLen, KS_S32 magic, int16_t cmd);

    /* The failure text of the transport last started, or null before any. */
    const char* GetStrErr();

private:
    enum ConnType { kNone = 0, kNetwork = 1, kSerial = 2 };

    bool EndSerialLink();
    template <typename MSG>
    void FillRecord(MSG* msg, const void* data, KS_S32 dataLen, KS_S32 magic, int16_t cmd) const;

    KS_S32 m_connType;
    KS_U32 m_magic;
    int16_t m_cmd;
    Ethernet m_ethernet;
    UART m_uart;
};

#endif
