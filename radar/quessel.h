#ifndef QUESSEL_H
#define QUESSEL_H

#include <stddef.h>

// C and C++ alike: one set of unmangled names for every caller.
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

// answers[i] = quessel(x[i], ..., radar_angle[i]) for each i below n, for
// any n a size_t holds, on arrays of any alignment; answers may not
// overlap the inputs.
void quessel_many(size_t n, const long long *x, const long long *y,
                  const long long *radar_x, const long long *radar_y,
                  const long long *radar_dir, const long long *radar_angle,
                  bool *answers);

#ifdef __cplusplus
}
#endif

#endif
