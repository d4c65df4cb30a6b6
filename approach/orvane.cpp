// orvane: does a straight step's line meet a circle while the step
// brings the object nearer to the circle's centre?
#include "orvane.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Inputs whose integer steps overflow lie outside the domain: every step
// is checked, and an overflow makes the answer false.
static bool sum_of_squares(long long a, long long b, long long *out)
{
	long long aa, bb;
	return !__builtin_mul_overflow(a, a, &aa) &&
	       !__builtin_mul_overflow(b, b, &bb) &&
	       !__builtin_add_overflow(aa, bb, out);
}

long long calculate_euclidean_distance(long long x1, long long y1, long long x2,
                                       long long y2)
{
	long long dx, dy, sq;
	if (__builtin_sub_overflow(x2, x1, &dx) ||
	    __builtin_sub_overflow(y2, y1, &dy) || !sum_of_squares(dx, dy, &sq))
		return LLONG_MAX;
	return llround(sqrt(static_cast<double>(sq)));
}

// Whether end is strictly nearer the centre than start, both distances
// rounded; false when a distance does not fit.
static bool nearer(long long start_x, long long start_y, long long end_x,
                   long long end_y, long long center_x, long long center_y)
{
	long long start_distance =
	    calculate_euclidean_distance(start_x, start_y, center_x, center_y);
	long long end_distance =
	    calculate_euclidean_distance(end_x, end_y, center_x, center_y);
	return start_distance != LLONG_MAX && end_distance < start_distance;
}

bool orvane(long long start_x, long long start_y, long long end_x,
            long long end_y, long long center_x, long long center_y,
            long long radius)
{
	long long dx, dy, p1, p2, p3, p4, cross, step_sq;
	if (__builtin_sub_overflow(end_x, start_x, &dx) ||
	    __builtin_sub_overflow(end_y, start_y, &dy) ||
	    __builtin_mul_overflow(dy, center_x, &p1) ||
	    __builtin_mul_overflow(dx, center_y, &p2) ||
	    __builtin_mul_overflow(end_x, start_y, &p3) ||
	    __builtin_mul_overflow(end_y, start_x, &p4) ||
	    __builtin_sub_overflow(p1, p2, &cross) ||
	    __builtin_add_overflow(cross, p3, &cross) ||
	    __builtin_sub_overflow(cross, p4, &cross) ||
	    (cross < 0 && __builtin_sub_overflow(0LL, cross, &cross)) ||
	    !sum_of_squares(dx, dy, &step_sq))
		return false;

	double step_length = sqrt(static_cast<double>(step_sq));
	// A zero-length step gives 0/0, which fails the comparison below.
	double line_distance = static_cast<double>(cross) / step_length;

	// A line that misses the circle needs no rounded distances.
	return line_distance <= static_cast<double>(radius) &&
	       nearer(start_x, start_y, end_x, end_y, center_x, center_y);
}

#ifndef TOOLS_NO_MAIN // the library leaves main to its callers
int main(int argc, char *argv[])
{
	// Linux hands an empty vector over as one empty name.
	const char *name = argc > 0 && argv[0][0] ? argv[0] : "orvane";
	if (argc != 8) {
		fprintf(stderr,
		        "Usage: %s start_x start_y end_x end_y center_x "
		        "center_y radius\n",
		        name);
		return 1;
	}

	// strtoll saturates out-of-range text, where atoll is undefined.
	long long v[7];
	for (int i = 0; i < 7; i++)
		v[i] = strtoll(argv[i + 1], nullptr, 10);

	bool hit = orvane(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
	if (printf("%d\n", hit ? 1 : 0) < 0 || fclose(stdout) != 0) {
		fprintf(stderr, "%s: write error: %s\n", name, strerror(errno));
		return 1;
	}
	return 0;
}
#endif
