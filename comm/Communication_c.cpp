/* The exported flat functions of the board link, each one behind the entry
 * guard and holding the link for its whole work. */
#include "include/Communication_c.h"

#include <stdint.h>

#include <mutex>
#include <string>

#include "base/entry_guard.h"
#include "comm/BoardCall.h"
#include "comm/Communication.h"
#include "comm/FailureText.h"
#include "comm/LinkLock.h"
#include "comm/link_access.h"

namespace {

/* The link of the process, alive from library load to unload. */
Communication gCommunicator;
/* Serialises every use of gCommunicator: a request from one thread must not
 * interleave its frames with another's on the one link. Held for a whole
 * exchange, which may last seconds; waited for at most as long as the
 * waiting call has left. */
LinkLock gLink;

typedef std::lock_guard<std::mutex> Lock;

/* A copy of the link's failure text, taken at the end of every call on the
 * link, under a lock of its own that is held only for the copy: reading the
 * text never waits behind an exchange with the board. */
class PublishedText {
public:
    void Publish(const char* text) {
        Lock lock(m_mutex);
        m_present = text != nullptr;
        if (m_present) m_text = text;
    }
    bool Copy(std::string& out) {
        Lock lock(m_mutex);
        if (!m_present) return false;
        out = m_text;
        return true;
    }

private:
    std::mutex m_mutex;
    bool m_present = false;
    std::string m_text;
};

PublishedText gText;

/* Publishes the link's text when a call ends, however it ends. A copy that
 * cannot be made (no memory) leaves the previous text readable: better an
 * older text than none, and a destructor must not throw. */
class TextPublisher {
public:
    TextPublisher() = default;
    TextPublisher(const TextPublisher&) = delete;
    TextPublisher& operator=(const TextPublisher&) = delete;
    ~TextPublisher() {
        try {
            gText.Publish(gCommunicator.GetStrErr());
        } catch (...) {
        }
    }
};

/* A call that never got the link says so to every getStrError after it,
 * until a call on the link ends. */
int LinkBusy() {
    gText.Publish(BusyLinkText().c_str());
    return 0;
}

/* Runs one step on the link under its lock and publishes the text after
 * it; 1 when the step succeeded, 0 when it failed, threw or could not have
 * the link within the call's limit. The call's clock starts before the
 * wait for the lock: a caller behind others waits no longer than one call. */
template <typename Step>
int OnLink(Step step) {
    return GuardedEntry(0, [&step] {
        BoardCall call;
        LinkHold hold(gLink, call.Limit());
        if (!hold.Held()) return LinkBusy();
        TextPublisher publisher;
        return step() ? 1 : 0;
    });
}

int16_t LowCommand(int cmd) { return static_cast<int16_t>(cmd); }

/* The port is narrowed as the network transport keeps it: a port above
 * 32767 becomes negative and is refused. */
bool StartEthernet(const char* ip, int port) {
    return gCommunicator.StartConnection(ip, static_cast<int16_t>(port));
}

}  // namespace

extern "C" {

void PresetHeaderCmd(int cmd) {
    OnLink([cmd] {
        gCommunicator.PresetHeader(LowCommand(cmd), 0);
        return true;
    });
}

void PresetHeader(int magic, int cmd) {
    OnLink([magic, cmd] {
        gCommunicator.PresetHeader(LowCommand(cmd), magic);
        return true;
    });
}

int StartEthernetConnection(const char* ip, int port) {
    return OnLink([=] { return StartEthernet(ip, port); });
}

int StartUARTConnection(const char* portName, int timeout, unsigned int baudRate,
                        unsigned char dataBits, unsigned char stopBits, unsigned char parity,
                        unsigned int flowControl) {
    return OnLink([=] {
        return gCommunicator.StartConnection(portName, timeout, baudRate, dataBits, stopBits,
                                             parity, flowControl);
    });
}

int StartUARTConnectionWithoutParam(const char* portName, int timeout) {
    return StartUARTConnection(portName, timeout, 115200, 8, 0, 0, 0);
}

int EndConnection(void) {
    return OnLink([] { return gCommunicator.EndConnection(); });
}

int ReadMSG(const void* data, int dataLen, void* recvBuf, int recvLen, int magic, int cmd) {
    return OnLink([=] {
        return gCommunicator.ReadMSG(data, dataLen, recvBuf, recvLen, magic, LowCommand(cmd));
    });
}

int ReadMSGWithoutCmd(const void* data, int dataLen, void* recvBuf, int recvLen) {
    return ReadMSG(data, dataLen, recvBuf, recvLen, 0, 0);
}

int WriteMSG(const void* data, int dataLen, int magic, int cmd) {
    return OnLink(
        [=] { return gCommunicator.WriteMSG(data, dataLen, magic, LowCommand(cmd)); });
}

int WriteMSGWithoutCmd(const void* data, int dataLen) { return WriteMSG(data, dataLen, 0, 0); }

/* The text is this thread's own copy: no other thread's call can change or
 * free it under the caller. */
const char* GetStrErr(void) {
    return GuardedEntry(static_cast<const char*>(nullptr), []() -> const char* {
        thread_local std::string copy;
        return gText.Copy(copy) ? copy.c_str() : nullptr;
    });
}

}  // extern "C"

bool GetStrErrCopy(std::string& out) { return gText.Copy(out); }

bool StartUARTConnectionWithCmd(const char* portName, int timeout, unsigned int baudRate,
                                unsigned char dataBits, unsigned char stopBits,
                                unsigned char parity, unsigned int flowControl, int cmd) {
    return OnLink([=] {
        if (!gCommunicator.StartConnection(portName, timeout, baudRate, dataBits, stopBits,
                                           parity, flowControl))
            return false;
        gCommunicator.PresetHeader(LowCommand(cmd), 0);
        return true;
    }) == 1;
}

bool StartEthernetConnectionWithCmd(const char* ip, int port, int cmd) {
    return OnLink([=] {
        if (!StartEthernet(ip, port)) return false;
        gCommunicator.PresetHeader(LowCommand(cmd), 0);
        return true;
    }) == 1;
}
