// The three answers in their plainest form, for the agreement test and the
// fuzz targets to hold the tools' fast forms against: every integer step
// exact in 128 bits, then checked against the 64-bit range it is defined
// in; every floating step one double operation, in the written order.
#pragma once
#include "orvane.h"
#include "quessel.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace reference
{

__extension__ typedef __int128 wide;

// A 64-bit step's value; ok stays set only while every step fits.
inline wide fit(wide v, bool &ok)
{
	ok = ok && LLONG_MIN <= v && v <= LLONG_MAX;
	return ok ? v : 0;
}

// LLONG_MAX, and ok cleared, where a step does not fit.
inline long long distance(wide x1, wide y1, wide x2, wide y2, bool &ok)
{
	bool fits = true;
	wide dx = fit(x2 - x1, fits), dy = fit(y2 - y1, fits);
	wide sq = fit(fit(dx * dx, fits) + fit(dy * dy, fits), fits);
	ok = ok && fits;
	return fits ? llround(sqrt(static_cast<double>(sq))) : LLONG_MAX;
}

// False where any step does not fit.
inline bool approach(wide start_x, wide start_y, wide end_x, wide end_y,
                     wide center_x, wide center_y, long long radius)
{
	bool ok = true;
	wide dx = fit(end_x - start_x, ok), dy = fit(end_y - start_y, ok);
	wide cross = fit(fit(dy * center_x, ok) - fit(dx * center_y, ok), ok);
	cross = fit(cross + fit(end_x * start_y, ok), ok);
	cross = fit(cross - fit(end_y * start_x, ok), ok);
	if (cross < 0)
		cross = fit(-cross, ok);
	wide step_sq = fit(fit(dx * dx, ok) + fit(dy * dy, ok), ok);
	double line =
	    static_cast<double>(cross) / sqrt(static_cast<double>(step_sq));
	long long start = distance(start_x, start_y, center_x, center_y, ok);
	long long end = distance(end_x, end_y, center_x, center_y, ok);
	return ok && line <= static_cast<double>(radius) && end < start;
}

// The offsets in 128 bits, so that every pair of points has its answer.
inline bool radar(wide x, wide y, wide radar_x, wide radar_y,
                  long long radar_dir, long long radar_angle)
{
	double dx = static_cast<double>(x - radar_x);
	double dy = static_cast<double>(y - radar_y);
	double bearing = atan2(dy, dx) * 180.0 / 3.141592653589793;
	if (bearing < 0)
		bearing = 360.0 + bearing;
	double difference = bearing - static_cast<double>(radar_dir);
	if (difference > 180.0)
		difference = difference - 360.0;
	if (difference < -180.0)
		difference = difference + 360.0;
	long long half = radar_angle / 2;
	return static_cast<double>(-half) <= difference &&
	       difference <= static_cast<double>(half);
}

// Whether a tool's answer is the reference's; prints the case where not.
inline bool agree(const char *name, const long long *v, int n, long long tool,
                  long long ref)
{
	if (tool != ref) {
		printf("%s", name);
		for (int i = 0; i < n; i++)
			printf(" %lld", v[i]);
		printf(": the tool says %lld, the reference %lld\n", tool, ref);
	}
	return tool == ref;
}

// v: start_x start_y end_x end_y center_x center_y radius; the distance
// from the end to the centre is asked too.
inline bool agree_approach(const long long *v)
{
	bool ok = true;
	return agree("orvane", v, 7,
	             orvane(v[0], v[1], v[2], v[3], v[4], v[5], v[6]),
	             approach(v[0], v[1], v[2], v[3], v[4], v[5], v[6])) &&
	       agree("calculate_euclidean_distance", v + 2, 4,
	             calculate_euclidean_distance(v[2], v[3], v[4], v[5]),
	             distance(v[2], v[3], v[4], v[5], ok));
}

// v: x y radar_x radar_y radar_dir radar_angle.
inline bool agree_radar(const long long *v)
{
	return agree("quessel", v, 6,
	             quessel(v[0], v[1], v[2], v[3], v[4], v[5]),
	             radar(v[0], v[1], v[2], v[3], v[4], v[5]));
}

} // namespace reference
