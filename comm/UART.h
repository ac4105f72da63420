/* The board link over a serial line: the port stays open from start to end;
 * each request goes in two halves, the header answered by 0xA0 and the data
 * part by 0xB0, then a read's reply data and reply checksum follow. */
#ifndef UART_H
#define UART_H

#include <stdint.h>

#include <string>

#include "comm/ks_msg.h"

class Deadline;

class UART {
public:
    UART();
    virtual ~UART();

    /* Opens and locks the port, sets it to raw 115200 8N1 whatever the
     * arguments ask, and sends the board's console SHELL_CMD. A port that is
     * no terminal is refused before anything is written to it. The port is
     * non-blocking: no send or receive waits longer than TIME_OUT ms. */
    bool StartConnection(const char* portName, KS_S32 timeout, KS_U32 baudRate, KS_U8 dataBits,
                         KS_U8 stopBits, KS_U8 parity, KS_U32 flowControl);
    bool EndConnection();
    /* Sends the end-of-link frame and awaits the board's one-byte answer,
     * both within kEndOfLinkLimitMs. */
    bool SwitchBeforeEndConn(const KS_U8* data, KS_U32 len);
    bool WriteMSG(KS_WRITE_MSG* msg);
    bool ReadMSG(KS_READ_MSG* msg);
    const char* GetErrorPrint();
    /* True while a port is open, connected or not. */
    static bool IsOpen();

    /* The two primitives of every exchange, each bounded by TIME_OUT. */
    bool SendInfo(const KS_U8* data, KS_U32 len);
    bool RecvTotalInfo(KS_U8* buf, KS_U32 len);

    static const char SHELL_CMD[];
    static const KS_S32 TIME_OUT = 5000;

private:
    template <typename Body>
    static bool AsOneCall(Body body);
    static bool OpenPort(const char* portName);
    static void SetRawLine();
    static void ClosePort();
    template <typename MSG>
    static bool SendRequest(const MSG& msg, const std::string& what);
    static bool AwaitRespond(KS_U8 expected, const std::string& what, const char* name);
    static bool FailOverTime(const char* format, KS_U32 count);
    static bool Send(const KS_U8* data, KS_U32 len, uint64_t limitMs = TIME_OUT);
    static bool Receive(KS_U8* buf, KS_U32 len, uint64_t limitMs = TIME_OUT);
    static bool AwaitLine(short events, const Deadline& deadline);

    /* Both record a failure and return false, so a failing step reads
     * `return FailWith(...)`. FailAppending keeps the words the failing
     * primitive already wrote in front of the new ones. */
    static bool FailWith(const std::string& message);
    static bool FailAppending(const std::string& message);

    static int m_hComm;
    static std::string m_strPrint;
    bool m_bConnected;
};

#endif
