#include "Communication_c.h"

#include <stdint.h>

#include <mutex>

#include "Communication.h"

namespace {

/* The link of the process, alive from library load to unload. */
Communication gCommunicator;
/* Serialises every use of gCommunicator: a request from one thread must not
 * interleave its frames with another's on the one link. */
std::mutex gLinkMutex;

typedef std::lock_guard<std::mutex> LinkLock;

int16_t LowCommand(int cmd) { return static_cast<int16_t>(cmd); }

}  // namespace

extern "C" {

void PresetHeaderCmd(int cmd) {
    LinkLock lock(gLinkMutex);
    gCommunicator.PresetHeader(LowCommand(cmd), 0);
}

void PresetHeader(int magic, int cmd) {
    LinkLock lock(gLinkMutex);
    gCommunicator.PresetHeader(LowCommand(cmd), magic);
}

/* The port is narrowed as the network transport keeps it: a port above
 * 32767 becomes negative and is refused. */
int StartEthernetConnection(const char* ip, int port) {
    LinkLock lock(gLinkMutex);
    return gCommunicator.StartConnection(ip, static_cast<int16_t>(port)) ? 1 : 0;
}

int StartUARTConnection(const char* portName, int timeout, unsigned int baudRate,
                        unsigned char dataBits, unsigned char stopBits, unsigned char parity,
                        unsigned int flowControl) {
    LinkLock lock(gLinkMutex);
    return gCommunicator.StartConnection(portName, timeout, baudRate, dataBits, stopBits, parity,
                                         flowControl)
               ? 1
               : 0;
}

int StartUARTConnectionWithoutParam(const char* portName, int timeout) {
    return StartUARTConnection(portName, timeout, 115200, 8, 0, 0, 0);
}

int EndConnection(void) {
    LinkLock lock(gLinkMutex);
    return gCommunicator.EndConnection() ? 1 : 0;
}

int ReadMSG(const void* data, int dataLen, void* recvBuf, int recvLen, int magic, int cmd) {
    LinkLock lock(gLinkMutex);
    return gCommunicator.ReadMSG(data, dataLen, recvBuf, recvLen, magic, LowCommand(cmd)) ? 1 : 0;
}

int ReadMSGWithoutCmd(const void* data, int dataLen, void* recvBuf, int recvLen) {
    return ReadMSG(data, dataLen, recvBuf, recvLen, 0, 0);
}

int WriteMSG(const void* data, int dataLen, int magic, int cmd) {
    LinkLock lock(gLinkMutex);
    return gCommunicator.WriteMSG(data, dataLen, magic, LowCommand(cmd)) ? 1 : 0;
}

int WriteMSGWithoutCmd(const void* data, int dataLen) { return WriteMSG(data, dataLen, 0, 0); }

const char* GetStrErr(void) {
    LinkLock lock(gLinkMutex);
    return gCommunicator.GetStrErr();
}

}  // extern "C"

bool GetStrErrCopy(std::string& out) {
    LinkLock lock(gLinkMutex);
    const char* text = gCommunicator.GetStrErr();
    if (text == nullptr) return false;
    out = text;
    return true;
}
