/* The flat call interface of the board link: plain exported functions in
 * front of the one process-wide Communication object. Success is 1,
 * failure 0. Calls from several threads never interleave on the link: each
 * holds the link for its whole work, and waits for it no longer than its
 * own limit. Plain C: usable from C and C++. */
#ifndef COMMUNICATION_C_H
#define COMMUNICATION_C_H

#ifdef __cplusplus
extern "C" {
#endif

/* Sets the command of later requests; the preset magic stays. */
void PresetHeaderCmd(int cmd);
/* Sets the preset command and, unless it is 0, the preset magic. */
void PresetHeader(int magic, int cmd);

/* Either start first ends a link of the other kind. */
int StartEthernetConnection(const char* ip, int port);
int StartUARTConnection(const char* portName, int timeout, unsigned int baudRate,
                        unsigned char dataBits, unsigned char stopBits, unsigned char parity,
                        unsigned int flowControl);
int StartUARTConnectionWithoutParam(const char* portName, int timeout);
int EndConnection(void);

/* A zero magic or cmd takes the preset value. A length that is negative or
 * above 65535 is refused with 0 and nothing is sent. No send or receive
 * waits longer than 5 seconds, and no call, start or end takes longer than
 * 10 seconds in all, the wait for the link included. */
int ReadMSG(const void* data, int dataLen, void* recvBuf, int recvLen, int magic, int cmd);
int ReadMSGWithoutCmd(const void* data, int dataLen, void* recvBuf, int recvLen);
int WriteMSG(const void* data, int dataLen, int magic, int cmd);
int WriteMSGWithoutCmd(const void* data, int dataLen);

/* The last failure text of the link last started, as it stood when the
 * last call on the link ended, or NULL before any start. Never waits behind
 * an exchange with the board. The text is the calling thread's own copy,
 * valid until that thread calls GetStrErr again. */
const char* GetStrErr(void);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif
