/* The flat call interface of the board link: plain exported functions in
 * front of the one process-wide Communication object. Success is 1,
 * failure 0. Every function holds one process-wide lock for its whole
 * work, so calls from several threads never interleave on the link. */
#ifndef COMMUNICATION_C_H
#define COMMUNICATION_C_H

#ifdef __cplusplus
#include <string>

extern "C" {
#endif

/* Sets the command of later requests; the preset magic stays. */
void PresetHeaderCmd(int cmd);
/* Sets the preset command and, unless it is 0, the preset magic. */
void PresetHeader(int magic, int cmd);

int StartEthernetConnection(const char* ip, int port);
int StartUARTConnection(const char* portName, int timeout, unsigned int baudRate,
                        unsigned char dataBits, unsigned char stopBits, unsigned char parity,
                        unsigned int flowControl);
int StartUARTConnectionWithoutParam(const char* portName, int timeout);
int EndConnection(void);

/* A zero magic or cmd takes the preset value. A length that is negative or
 * above 65535 is refused with 0 and nothing is sent. */
int ReadMSG(const void* data, int dataLen, void* recvBuf, int recvLen, int magic, int cmd);
int ReadMSGWithoutCmd(const void* data, int dataLen, void* recvBuf, int recvLen);
int WriteMSG(const void* data, int dataLen, int magic, int cmd);
int WriteMSGWithoutCmd(const void* data, int dataLen);

/* The last failure text of the link last started, or NULL before any start.
 * The text may change as soon as another call runs: threads should use
 * GetStrErrCopy. */
const char* GetStrErr(void);

#ifdef __cplusplus
}  // extern "C"

/* Copies GetStrErr's text while holding the lock; false where GetStrErr
 * would give NULL. */
bool GetStrErrCopy(std::string& out);
#endif

#endif
