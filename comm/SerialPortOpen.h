/* Opening a serial port for the board link, shared by the serial transport
 * and panelbin's port listing, so that a port listed as free is one the
 * link can take. */
#ifndef COMM_SERIAL_PORT_OPEN_H
#define COMM_SERIAL_PORT_OPEN_H

/* Opens the port `path` read-write without waiting (a line without carrier
 * cannot hang the open), never as the controlling terminal, close-on-exec;
 * takes only a terminal (ENOTTY otherwise: link frames written into a file
 * or FIFO named by mistake would destroy or feed it) and locks it
 * exclusively without waiting (EWOULDBLOCK while another program holds
 * it), so that two programs never share one line. The descriptor, or -1
 * with errno. Through the system-call table. */
int OpenSerialPortLocked(const char* path);

#endif
