#include "BoardAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

bool IsUsableBoardAddress(const char* ip) { return ip != nullptr && inet_addr(ip) != INADDR_NONE; }
