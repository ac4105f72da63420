/* The address rule: what inet_addr can convert, and nothing else. */
#include "comm/BoardAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

bool IsUsableBoardAddress(const char* ip) { return ip != nullptr && inet_addr(ip) != INADDR_NONE; }
