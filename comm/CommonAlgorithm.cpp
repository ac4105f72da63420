/* The frame checksum and the errno failure texts both transports share. */
#include "comm/CommonAlgorithm.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "base/SysCalls.h"

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

uint64_t CommonAlgorithm::GetTime() { return Sys().NowMs(); }
