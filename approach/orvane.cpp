// orvane: does a straight step's line meet a circle while the step
// brings the object nearer to the circle's centre?
#include "orvane.h"
#include "one_question.h"

#include <climits>
#include <cmath>

// Inputs whose integer steps overflow lie outside the domain: beyond the
// reach below, every step is checked, and an overflow makes the answer
// false.
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
                          long long center_y, long long *magnitude,
                          long long *step_sq, long long *start_sq,
                          long long *end_sq)
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
	    (cross < 0 && __builtin_sub_overflow(0LL, cross, &cross)))
		return false;
	*magnitude = cross;
	return sum_of_squares(dx, dy, step_sq) &&
	       !__builtin_sub_overflow(center_x, start_x, &sx) &&
	       !__builtin_sub_overflow(center_y, start_y, &sy) &&
	       sum_of_squares(sx, sy, start_sq) &&
	       !__builtin_sub_overflow(center_x, end_x, &ex) &&
	       !__builtin_sub_overflow(center_y, end_y, &ey) &&
	       sum_of_squares(ex, ey, end_sq);
}

// Whether end is strictly nearer the centre than start, both distances
// rounded.
static bool nearer(long long start_sq, long long end_sq)
{
	long long start_distance = rounded_root(start_sq);
	long long end_distance = rounded_root(end_sq);
	return end_distance < start_distance;
}

bool orvane(long long start_x, long long start_y, long long end_x,
            long long end_y, long long center_x, long long center_y,
            long long radius)
{
	long long cross, step_sq, start_sq, end_sq;
	if ((reach(start_x) | reach(start_y) | reach(end_x) | reach(end_y) |
	     reach(center_x) | reach(center_y)) < (1ULL << 31)) {
		long long dx = end_x - start_x, dy = end_y - start_y;
		long long sx = center_x - start_x, sy = center_y - start_y;
		long long ex = center_x - end_x, ey = center_y - end_y;
		cross = dy * center_x - dx * center_y + end_x * start_y -
		        end_y * start_x;
		cross = cross < 0 ? -cross : cross;
		step_sq = dx * dx + dy * dy;
		start_sq = sx * sx + sy * sy;
		end_sq = ex * ex + ey * ey;
	} else if (!checked_steps(start_x, start_y, end_x, end_y, center_x,
	                          center_y, &cross, &step_sq, &start_sq,
	                          &end_sq)) {
		return false;
	}

	// sqrt, the conversion and the rounding are monotone: an end that is
	// not nearer in squares is not nearer rounded either, and half of all
	// steps need no root at all.
	if (end_sq >= start_sq)
		return false;

	double step_length = sqrt(static_cast<double>(step_sq));
	// A zero-length step gives 0/0, which fails the comparison below.
	double line_distance = static_cast<double>(cross) / step_length;
	return line_distance <= static_cast<double>(radius) &&
	       nearer(start_sq, end_sq);
}

// The program: seven numbers, one question. Weak, so that a program that
// links the library with this object brings its own main; hidden, so that
// no program exports it.
__attribute__((weak, visibility("hidden"))) int main(int argc, char *argv[])
{
	return one_question<7>(
	    argc, argv, "orvane",
	    "start_x start_y end_x end_y center_x center_y radius",
	    [](const long long *v) {
		    return orvane(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
	    });
}
