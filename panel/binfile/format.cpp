/* The format's rules that are code, not constants: the panel capacity, the
 * key name rule and the status that carries the reason for a failure. */
#include "panel/binfile/format.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

KS_U32 PanelCapacity(PanelGeneration generation) {
    return (kBinFileSize - kFixedPartSize) / (kKeyRecordOverhead + BodySize(generation));
}

/* By hand rather than snprintf: makePanelBin names up to 1599 keys. */
void PanelKeyName(long long n, KS_CHAR (&name)[32]) {
    memset(name, 0, sizeof name);
    memcpy(name, "index", 5);
    size_t at = 5;
    unsigned long long rest = static_cast<unsigned long long>(n);
    if (n < 0) {
        name[at++] = '-';
        rest = 0 - rest;
    }
    char digits[20];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    for (size_t i = 0; i < count; ++i) name[at + i] = digits[count - 1 - i];
}

bool BinStatus::Fail(BinFault code, const char* format, ...) {
    fault = code;
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return false;
}
