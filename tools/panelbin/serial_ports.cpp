/* Finding and describing serial ports: names from /sys/class/tty, USB
 * details from the USB device above the tty in sysfs, by-id names from
 * /dev/serial/by-id, and a probe that opens and locks the port with the
 * board link's own open (comm/SerialPortOpen.h), so that "free" and "busy"
 * mean what the link would meet. */
#include "tools/panelbin/serial_ports.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include "base/file_io.h"
#include "comm/SerialPortOpen.h"
#include "tools/panelbin/failure.h"

namespace {

const char kSysTty[] = "/sys/class/tty/";
const char kById[] = "/dev/serial/by-id";
const char* const kPrefixes[] = {"ttyUSB", "ttyACM", "ttyAMA", "ttyS"};

/* Sole owner of a directory stream. */
struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) == nullptr ? "" : resolved;
}

std::vector<std::string> DirNames(const char* path) {
    std::vector<std::string> names;
    Dir dir(opendir(path));
    if (!dir) return names;
    while (struct dirent* entry = readdir(dir.get()))
        if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    return names;
}

bool HasPortPrefix(const std::string& name) {
    for (const char* prefix : kPrefixes)
        if (name.rfind(prefix, 0) == 0 && name.size() > strlen(prefix)) return true;
    return false;
}

/* ttyS0..ttyS31 exist whatever the hardware; those with no UART behind
 * them say type 0. */
bool HasHardware(const std::string& name) {
    return name.rfind("ttyS", 0) != 0 || FirstLine(kSysTty + name + "/type") != "0";
}

/* ttyUSB3 after ttyUSB2 and before ttyUSB10. */
bool NaturalLess(const std::string& a, const std::string& b) {
    size_t ia = a.find_first_of("0123456789"), ib = b.find_first_of("0123456789");
    if (ia == std::string::npos || ib == std::string::npos || a.compare(0, ia, b, 0, ib) != 0)
        return a < b;
    return atol(a.c_str() + ia) < atol(b.c_str() + ib);
}

/* The USB device above the tty in sysfs is the first directory upward with
 * an idVendor; the directory below it on the way is the interface. */
void DescribeUsb(const std::string& name, SerialPort* port) {
    std::string path = RealPath(kSysTty + name + "/device");
    std::string below;
    while (path.size() > 1 && access((path + "/idVendor").c_str(), R_OK) != 0) {
        below = path.substr(path.rfind('/') + 1);
        path = path.substr(0, path.rfind('/'));
    }
    if (path.size() <= 1) return;
    port->usb = true;
    port->kind = "usb";
    UsbInfo& usb = port->usbInfo;
    usb.vendorProduct = FirstLine(path + "/idVendor") + ":" + FirstLine(path + "/idProduct");
    usb.serial = FirstLine(path + "/serial");
    usb.manufacturer = FirstLine(path + "/manufacturer");
    usb.product = FirstLine(path + "/product");
    usb.location = below.find(':') != std::string::npos ? below : path.substr(path.rfind('/') + 1);
}

SerialPort Describe(const std::string& device) {
    SerialPort port;
    port.device = device;
    std::string real = RealPath(device);
    std::string name = real.substr(real.rfind('/') + 1);
    if (real.rfind("/dev/pts/", 0) == 0 || real == "/dev/ptmx")
        port.kind = "pseudo-terminal";
    else if (!name.empty() && access((kSysTty + name + "/device").c_str(), F_OK) == 0)
        port.kind = "serial";
    else
        port.kind = "other";
    if (port.kind == "serial") DescribeUsb(name, &port);
    for (const std::string& link : DirNames(kById)) {
        std::string path = std::string(kById) + "/" + link;
        if (!real.empty() && RealPath(path) == real) port.byId.push_back(path);
    }
    return port;
}

/* "pid 1234 (board-sim)" for the process whose flock holds the device,
 * from /proc/locks, which names a lock's file by device and inode. */
std::string LockHolder(const std::string& device) {
    struct stat file;
    if (stat(device.c_str(), &file) != 0) return "";
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        if (line.find("FLOCK") == std::string::npos) continue;
        char kind[16], advisory[16], mode[16];
        unsigned long pid = 0, inode = 0;
        unsigned int devMajor = 0, devMinor = 0;
        if (sscanf(line.c_str(), "%*[^:]: %15s %15s %15s %lu %x:%x:%lu", kind, advisory, mode, &pid,
                   &devMajor, &devMinor, &inode) != 7)
            continue;
        if (inode != file.st_ino || devMajor != major(file.st_dev) || devMinor != minor(file.st_dev))
            continue;
        std::string command = FirstLine("/proc/" + std::to_string(pid) + "/comm");
        return "locked by pid " + std::to_string(pid) + (command.empty() ? "" : " (" + command + ")");
    }
    return "";
}

std::string GroupHint(const std::string& device) {
    struct stat file;
    std::string group = "dialout";
    if (stat(device.c_str(), &file) == 0) {
        struct group* entry = getgrgid(file.st_gid);
        if (entry != nullptr) group = entry->gr_name;
    }
    return "add your user to the " + group + " group (usermod -aG " + group +
           " $USER), then log in again";
}

void Probe(SerialPort* port) {
    const FileDescriptor fd(OpenSerialPortLocked(port->device.c_str()));
    const int error = errno;
    if (fd.get() != -1) {
        port->state = "free";  // the lock goes with the descriptor
        return;
    }
    if (error == EWOULDBLOCK) {
        port->state = "busy";
        port->detail = LockHolder(port->device);
        if (port->detail.empty()) port->detail = "held by another program's lock";
    } else if (error == EACCES || error == EPERM) {
        port->state = "no permission";
        port->detail = GroupHint(port->device);
    } else if (error == EBUSY) {
        port->state = "busy";
        port->detail = "opened exclusively by another program";
    } else if (error == ENOENT) {
        port->state = "missing";
    } else {
        port->state = "unusable";
        port->detail = strerror(error);
    }
}

}  // namespace

std::vector<SerialPort> ListSerialPorts(const std::vector<std::string>& extra, bool probe) {
    std::vector<std::string> names;
    for (const std::string& name : DirNames(kSysTty))
        if (HasPortPrefix(name) && HasHardware(name)) names.push_back(name);
    std::sort(names.begin(), names.end(), NaturalLess);
    std::vector<SerialPort> ports;
    for (const std::string& name : names) ports.push_back(Describe("/dev/" + name));
    for (const std::string& path : extra) ports.push_back(Describe(path));
    if (probe)
        for (SerialPort& port : ports) Probe(&port);
    return ports;
}

std::string PortBySerialNumber(const std::string& number) {
    std::vector<std::string> matches;
    for (const SerialPort& port : ListSerialPorts({}, false))
        if (port.usb && port.usbInfo.serial == number) matches.push_back(port.device);
    if (matches.empty())
        throw Failure(kExitBoard, "no USB serial port has the serial number " + number +
                                      " (panelbin ports lists them)");
    if (matches.size() > 1) {
        std::string list;
        for (const std::string& device : matches) list += (list.empty() ? "" : ", ") + device;
        throw Failure(kExitUsage, "serial number " + number + " is ambiguous: " + list);
    }
    return matches[0];
}
