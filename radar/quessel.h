#ifndef QUESSEL_H
#define QUESSEL_H

// C and C++ alike: one unmangled name for every caller.
#ifdef __cplusplus
extern "C" {
#else
#include <stdbool.h>
#endif

// True when the bearing from the radar at (radar_x, radar_y) to (x, y)
// lies within radar_angle / 2 degrees of radar_dir, bounds included.
// Degrees run from +x toward +y; the range is unlimited.
bool quessel(long long x, long long y, long long radar_x, long long radar_y,
             long long radar_dir, long long radar_angle);

#ifdef __cplusplus
}
#endif

#endif
