/* The board link's calls for the rest of the library, beside the flat C
 * interface. Internal: none of these is exported, since the std::string
 * here would belong to the library's private C++ runtime. */
#ifndef LINK_ACCESS_H
#define LINK_ACCESS_H

#include <string>

/* Copies the last failure text of the link last started; false where
 * GetStrErr gives NULL. Never waits behind an exchange with the board. */
bool GetStrErrCopy(std::string& out);

/* A start and, when it succeeds, the preset of the header command `cmd`, as
 * one step under the link's lock: no other thread's request can go out in
 * between with the command preset before. */
bool StartUARTConnectionWithCmd(const char* portName, int timeout, unsigned int baudRate,
                                unsigned char dataBits, unsigned char stopBits,
                                unsigned char parity, unsigned int flowControl, int cmd);
bool StartEthernetConnectionWithCmd(const char* ip, int port, int cmd);

#endif
