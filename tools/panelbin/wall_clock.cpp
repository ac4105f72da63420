/* UtcNow: CLOCK_REALTIME through gmtime_r, so no time zone applies. */
#include "tools/panelbin/wall_clock.h"

#include <stdio.h>
#include <time.h>

std::string UtcNow() {
    struct timespec now;
    struct tm parts;
    char text[64] = "unknown time";
    if (clock_gettime(CLOCK_REALTIME, &now) == 0 && gmtime_r(&now.tv_sec, &parts) != nullptr) {
        size_t n = strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
        snprintf(text + n, sizeof text - n, ".%03ldZ", now.tv_nsec / 1000000);
    }
    return text;
}
