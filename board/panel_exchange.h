/* The panel exchange with a board, without a JVM: starting the link with
 * the panel command preset, and sending or fetching the panel info record
 * at the start of a data body. writePanelDataToBoard, readPanelDataFromBoard
 * and the tools all go through these functions, so they put the same bytes
 * on the wire: a 32-bit little-endian panel sub-command, then for a write
 * the 324- or 364-byte panel info image.
 *
 * Internal C++; the failure text of a false result is the link's
 * (GetStrErr), or none where the link refused the arguments. */
#ifndef BOARD_PANEL_EXCHANGE_H
#define BOARD_PANEL_EXCHANGE_H

#include <stddef.h>

#include "panel/model/generation.h"

/* A network link to ip:port (dotted IPv4), the panel command preset in the
 * same step. A port outside 0..65535 is refused before the link sees it,
 * so that it cannot wrap round to another port. */
bool StartPanelLinkTcp(const char* ip, int port);
/* A serial link on portName; the line is always raw 115200 8N1, the other
 * values are handed to the link as given. */
bool StartPanelLinkSerial(const char* portName, int timeout, unsigned int baudRate,
                          unsigned char dataBits, unsigned char stopBits, unsigned char parity,
                          unsigned int flowControl);

/* Sends the panel info at the start of `body`, a data body of the
 * generation (the rest of the body stays on the host). */
bool SendPanelInfo(PanelGeneration generation, const void* body);
/* Zeroes `body` (BodySize bytes) and receives the board's panel info into
 * its start; everything after the panel info stays zero. */
bool FetchPanelInfo(PanelGeneration generation, void* body);

#endif
