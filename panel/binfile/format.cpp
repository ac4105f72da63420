/* The small pieces every bin file operation shares: generations and the
 * status that carries the reason for a failure. */
#include "panel/binfile/bin_file.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

bool BinStatus::Fail(BinFault code, const char* format, ...) {
    fault = code;
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return false;
}
