// Feeds the Radar field test arbitrary 64-bit inputs, for the sanitizers
// to catch any undefined step and the reference to check each answer, then
// holds it to an exact symmetry: moving the point and the radar by one
// offset leaves both integer offsets, and so the answer, as they were.
#include "quessel.h"
#include "reference.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	long long v[8] = {};
	memcpy(v, data, size < sizeof v ? size : sizeof v);
	if (!reference::agree_radar(v))
		abort();
	long long x = v[0], y = v[1], radar_x = v[2], radar_y = v[3];
	// Many facing directions within the range that wraps fully.
	long long dir = v[4] % 1000, angle = v[5];
	bool inside = quessel(x, y, radar_x, radar_y, dir, angle);

	long long moved[4];
	if (__builtin_add_overflow(x, v[6], &moved[0]) ||
	    __builtin_add_overflow(radar_x, v[6], &moved[2]) ||
	    __builtin_add_overflow(y, v[7], &moved[1]) ||
	    __builtin_add_overflow(radar_y, v[7], &moved[3]))
		return 0;
	if (inside !=
	    quessel(moved[0], moved[1], moved[2], moved[3], dir, angle))
		abort();
	return 0;
}
