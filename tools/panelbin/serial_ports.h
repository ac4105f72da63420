/* The serial ports of the machine as sysfs and /dev describe them, and
 * whether each can be opened now. */
#ifndef PANELBIN_SERIAL_PORTS_H
#define PANELBIN_SERIAL_PORTS_H

#include <string>
#include <vector>

struct UsbInfo {
    std::string vendorProduct; /* "0403:6001" */
    std::string serial, manufacturer, product;
    std::string location; /* the USB interface, "1-1.2:1.0" */
};

struct SerialPort {
    std::string device;        /* "/dev/ttyUSB0" */
    std::string kind;          /* "usb", "serial", "pseudo-terminal" or "other" */
    bool usb = false;
    UsbInfo usbInfo;
    std::vector<std::string> byId; /* /dev/serial/by-id names of it */
    std::string state;         /* "free", "busy", "no permission", "missing", "unusable" */
    std::string detail;        /* who holds it, the hint, the system's words; may be empty */
};

/* The ports of the machine (ttyS with a UART behind it, ttyUSB, ttyACM,
 * ttyAMA), then the `extra` paths (pseudo-terminals, by-id names). With
 * `probe`, each is opened and locked for a moment, exactly as the board
 * link would, and released at once; nothing is ever written to it. */
std::vector<SerialPort> ListSerialPorts(const std::vector<std::string>& extra, bool probe);

/* The device of the one USB port with this serial number. Throws a
 * Failure when there is none (exit 4) or more than one (exit 2). */
std::string PortBySerialNumber(const std::string& number);

#endif
