#include "CommonAlgorithm.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

CommonAlgorithm::~CommonAlgorithm() {}

KS_U32 CommonAlgorithm::GetCheckSum(const void* data, KS_S32 length) {
    const KS_U8* bytes = static_cast<const KS_U8*>(data);
    KS_U32 sum = 0;
    for (KS_S32 i = 0; i < length; ++i) sum += bytes[i];
    return sum;
}

void CommonAlgorithm::PrintWithLastError(std::string& destination, std::string message) {
    int err = errno;  // the string operations below must not change what we report
    char number[32] = {0};
    snprintf(number, sizeof number, "%d", err);
    destination = message + strerror(err) + " errno:" + number;
}

void CommonAlgorithm::PrintWithWSALastError(std::string& destination, std::string message) {
    int err = errno;
    destination = message + strerror(err);
}

uint64_t CommonAlgorithm::GetTime() {
    struct timespec now;
    // CLOCK_MONOTONIC cannot fail with a valid pointer; a zero time would
    // only make a limit fire late, never early.
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return 0;
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}
