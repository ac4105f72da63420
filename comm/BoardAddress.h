/* The one rule for a board's address, applied where a network link starts
 * and again where a request connects. */
#ifndef BOARDADDRESS_H
#define BOARDADDRESS_H

/* True for IPv4 text that inet_addr converts. inet_addr gives 255.255.255.255
 * (however it is written) as its error value, so that address cannot be
 * told from a text that is no address at all, and is refused with them. */
bool IsUsableBoardAddress(const char* ip);

#endif
