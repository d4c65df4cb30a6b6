#ifndef ORVANE_H
#define ORVANE_H

#include <stddef.h>

// C and C++ alike: one set of unmangled names for every caller.
#ifdef __cplusplus
extern "C" {
#else
#include <stdbool.h>
#endif

// Distance between (x1, y1) and (x2, y2), rounded half away from zero.
// Returns LLONG_MAX, never a real distance, when the squared distance
// does not fit in 64 bits.
long long calculate_euclidean_distance(long long x1, long long y1, long long x2,
                                       long long y2);

// True when the line through start and end passes within radius of the
// centre and end is strictly nearer the centre than start, both distances
// rounded first.
bool orvane(long long start_x, long long start_y, long long end_x,
            long long end_y, long long center_x, long long center_y,
            long long radius);

// answers[i] = orvane(start_x[i], ..., radius[i]) for each i below n, for
// any n a size_t holds, on arrays of any alignment; answers may not
// overlap the inputs.
void orvane_many(size_t n, const long long *start_x, const long long *start_y,
                 const long long *end_x, const long long *end_y,
                 const long long *center_x, const long long *center_y,
                 const long long *radius, bool *answers);

#ifdef __cplusplus
}
#endif

#endif
