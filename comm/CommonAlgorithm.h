/* Helpers shared by both board-link transports: the frame checksum, the
 * failure texts built from errno, and the clock of the time limits. */
#ifndef COMMONALGORITHM_H
#define COMMONALGORITHM_H

#include <stdint.h>

#include <string>

#include "include/ks_type.h"

class CommonAlgorithm {
public:
    virtual ~CommonAlgorithm();

    /* Byte sum of the first `length` bytes, wrapping at 2^32; 0 for a length
     * of 0 or less. Every checksum of the board frame is this sum. */
    static KS_U32 GetCheckSum(const void* data, KS_S32 length);

    /* destination = message + strerror(errno) + " errno:" + errno. */
    static void PrintWithLastError(std::string& destination, std::string message);

    /* destination = message + strerror(errno). */
    static void PrintWithWSALastError(std::string& destination, std::string message);

    /* Milliseconds of a monotonic clock (the system-call table's): time
     * limits must follow the wall, not the processor time of a busy host
     * process. */
    static uint64_t GetTime();
};

#endif
