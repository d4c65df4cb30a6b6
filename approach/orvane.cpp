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

// The rounded root of a square that fits, as calculate_euclidean_distance
// takes it, but without the call to llround, which costs a sixth of the
// test: the root is 0 or from 1 to below 2^32, where adding 1/2 is exact or
// rounds to a value of the same integer part, so truncation rounds half
// away from zero exactly as llround does.
static long long rounded_root(long long sq)
{
	return static_cast<long long>(sqrt(static_cast<double>(sq)) + 0.5);
}

// From -2^30 to 2^30 - 1, where no difference, product or sum of the test
// can overflow, v + 2^30 as unsigned lies below 2^31, and so does the
// bitwise or of six such.
static unsigned long long reach(long long v)
{
	return static_cast<unsigned long long>(v) + (1ULL << 30);
}

// The test's integer steps, each checked, for inputs beyond reach: the
// cross term's magnitude, the squared step and the squared distances from
// start and from end to the centre. False once a step overflows.
static bool checked_steps(long long start_x, long long start_y, long long end_x,
                          long long end_y, long long center_x,
                          long long center_y, long long out[4])
{
	long long dx, dy, p1, p2, p3, p4, cross, sx, sy, ex, ey;
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
	    __builtin_sub_overflow(center_x, start_x, &sx) ||
	    __builtin_sub_overflow(center_y, start_y, &sy) ||
	    __builtin_sub_overflow(center_x, end_x, &ex) ||
	    __builtin_sub_overflow(center_y, end_y, &ey))
		return false;
	out[0] = cross;
	return sum_of_squares(dx, dy, &out[1]) &&
	       sum_of_squares(sx, sy, &out[2]) &&
	       sum_of_squares(ex, ey, &out[3]);
}

bool orvane(long long start_x, long long start_y, long long end_x,
            long long end_y, long long center_x, long long center_y,
            long long radius)
{
	long long q[4]; // cross, step_sq, start_sq, end_sq
	if ((reach(start_x) | reach(start_y) | reach(end_x) | reach(end_y) |
	     reach(center_x) | reach(center_y)) < (1ULL << 31)) {
		long long dx = end_x - start_x, dy = end_y - start_y;
		long long cross = dy * center_x - dx * center_y +
		                  end_x * start_y - end_y * start_x;
		long long sx = center_x - start_x, sy = center_y - start_y;
		long long ex = center_x - end_x, ey = center_y - end_y;
		q[0] = cross < 0 ? -cross : cross;
		q[1] = dx * dx + dy * dy;
		q[2] = sx * sx + sy * sy;
		q[3] = ex * ex + ey * ey;
	} else if (!checked_steps(start_x, start_y, end_x, end_y, center_x,
	                          center_y, q)) {
		return false;
	}

	// sqrt, the conversion and the rounding are monotone: an end that is
	// not nearer in squares is not nearer rounded either, and half of all
	// steps need no root at all.
	if (q[3] >= q[2])
		return false;

	double step_length = sqrt(static_cast<double>(q[1]));
	// A zero-length step gives 0/0, which fails the comparison below.
	double line_distance = static_cast<double>(q[0]) / step_length;
	return line_distance <= static_cast<double>(radius) &&
	       rounded_root(q[3]) < rounded_root(q[2]);
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
