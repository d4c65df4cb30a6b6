// quessel: does a point lie within a radar's angular field?
#include "quessel.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// An offset that overflows 64 bits is formed exactly in 128, so any pair of
// coordinates gets its geometric answer; the rest keep the cheap 64-bit
// conversion. An integer converts to the same double in either type.
__extension__ typedef __int128 wide;

bool quessel(long long x, long long y, long long radar_x, long long radar_y,
             long long radar_dir, long long radar_angle)
{
	long long ox, oy;
	double dx = __builtin_sub_overflow(x, radar_x, &ox)
	                ? static_cast<double>(static_cast<wide>(x) - radar_x)
	                : static_cast<double>(ox);
	double dy = __builtin_sub_overflow(y, radar_y, &oy)
	                ? static_cast<double>(static_cast<wide>(y) - radar_y)
	                : static_cast<double>(oy);

	// Two roundings, not one multiplication by a degrees-per-radian
	// factor: the answers on the bound depend on it.
	double bearing = atan2(dy, dx) * 180.0 / 3.141592653589793;

	// Each correction adds a whole turn or 0.0, which changes nothing here
	// (no value is -0.0), and the bounds are tested with &: the compiler
	// then chooses without branches, which on scattered directions are
	// mispredicted at a cost above the atan2 call's.
	bearing += bearing < 0 ? 360.0 : 0.0;

	// One correction each way: a facing direction outside -180..540 is
	// deliberately left partly unwrapped.
	double difference = bearing - static_cast<double>(radar_dir);
	difference += 180.0 < difference ? -360.0 : 0.0;
	difference += difference < -180.0 ? 360.0 : 0.0;

	long long half = radar_angle / 2;
	return (static_cast<double>(-half) <= difference) &
	       (difference <= static_cast<double>(half));
}

#ifndef TOOLS_NO_MAIN // the library leaves main to its callers
int main(int argc, char *argv[])
{
	// Linux hands an empty vector over as one empty name.
	const char *name = argc > 0 && argv[0][0] ? argv[0] : "quessel";
	if (argc != 7) {
		fprintf(stderr,
		        "Usage: %s x y radar_x radar_y radar_dir radar_angle\n",
		        name);
		return 1;
	}

	// strtoll saturates out-of-range text, where atoll is undefined.
	long long v[6];
	for (int i = 0; i < 6; i++)
		v[i] = strtoll(argv[i + 1], nullptr, 10);

	bool inside = quessel(v[0], v[1], v[2], v[3], v[4], v[5]);
	if (printf("%d\n", inside ? 1 : 0) < 0 || fclose(stdout) != 0) {
		fprintf(stderr, "%s: write error: %s\n", name, strerror(errno));
		return 1;
	}
	return 0;
}
#endif
