/* ports: the machine's serial ports, what sysfs says of them, and whether
 * each can be opened now; as a table or as JSON. */
#include <stdio.h>

#include <iostream>

#include "tools/panelbin/commands.h"
#include "tools/panelbin/failure.h"
#include "tools/panelbin/record_json.h"
#include "tools/panelbin/serial_ports.h"

namespace {

Json PortJson(const SerialPort& port) {
    Json usb = nullptr;
    if (port.usb)
        usb = {{"vendor_product", port.usbInfo.vendorProduct},
               {"serial", port.usbInfo.serial},
               {"manufacturer", port.usbInfo.manufacturer},
               {"product", port.usbInfo.product},
               {"location", port.usbInfo.location}};
    return {{"device", port.device}, {"kind", port.kind},       {"usb", usb},
            {"by_id", port.byId},    {"state", port.state},     {"detail", port.detail}};
}

void PrintPort(const SerialPort& port) {
    std::string line = port.device + "  " + port.state;
    if (!port.detail.empty()) line += " (" + port.detail + ")";
    line += "  " + port.kind;
    if (port.usb) {
        const UsbInfo& usb = port.usbInfo;
        line += " " + usb.vendorProduct;
        if (!usb.manufacturer.empty()) line += " " + usb.manufacturer;
        if (!usb.product.empty()) line += " " + usb.product;
        if (!usb.serial.empty()) line += " serial " + usb.serial;
        line += " at " + usb.location;
    }
    for (const std::string& name : port.byId) line += "\n    " + name;
    printf("%s\n", line.c_str());
}

}  // namespace

int RunPorts(const Options& options) {
    std::vector<SerialPort> ports = ListSerialPorts(options.portPaths, true);
    if (options.json) {
        Json list = Json::array();
        for (const SerialPort& port : ports) list.push_back(PortJson(port));
        std::cout << list.dump(2) << '\n';
        return kExitOk;
    }
    if (ports.empty()) printf("no serial ports\n");
    for (const SerialPort& port : ports) PrintPort(port);
    return kExitOk;
}
