/* The board link over TCP/IPv4: one connection per request, the frame sent
 * in one piece, the board answering 0xD0 (frame accepted), the reply data
 * and its checksum for a read, then 0xE0 (request done). */
#ifndef ETHERNET_H
#define ETHERNET_H

#include <stdint.h>

#include <string>

#include "comm/ks_msg.h"

class Ethernet {
public:
    Ethernet();
    virtual ~Ethernet();

    /* Only remembers where the board is; it is first contacted by a request.
     * An address that inet_addr cannot convert is refused. */
    bool StartConnection(const char* ip, int16_t port);
    bool EndConnection();
    bool ReadMSG(KS_READ_MSG* msg);
    bool WriteMSG(KS_WRITE_MSG* msg);

    static bool CreateSocket(const char* ip, int16_t port);
    static bool CloseSocket();
    static const char* GetErrorPrint();

private:
    enum Attempt { kDone, kRetry, kFailed };
    enum Respond { kRespondMatched, kRespondWrong, kRespondMissing };

    template <typename Body>
    static bool AsOneCall(Body body);
    static bool Connect(const char* ip, int16_t port);
    template <typename MSG>
    static bool Request(const MSG& msg, KS_READ_MSG* reply, const std::string& what);
    template <typename MSG>
    static Attempt SendFrame(const MSG& msg, KS_READ_MSG* reply, const std::string& what);
    static bool ReceiveReply(KS_READ_MSG* reply, const std::string& what);
    static Respond ReceiveRespond(KS_U8 expected, const std::string& what);
    static bool Fail(const std::string& text);

    static std::string m_ip;
    static int16_t m_port;
    static int m_sockClient;
    static std::string m_strPrint;
};

#endif
