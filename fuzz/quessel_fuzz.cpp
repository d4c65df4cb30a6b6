// Feeds the Radar field test arbitrary 64-bit inputs. The sanitizers
// catch any undefined step; the checks catch answers no input may give.
#include "quessel.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	long long v[6] = {};
	memcpy(v, data, size < sizeof v ? size : sizeof v);
	long long x = v[0], y = v[1], radar_x = v[2], radar_y = v[3];
	// Keep many facing directions within the range that wraps fully.
	long long dir = v[4] % 1000, angle = v[5];

	bool inside = quessel(x, y, radar_x, radar_y, dir, angle);
	if (angle <= -2 && inside)
		abort(); // a negative half width admits nothing
	if (angle >= 720 && dir >= -180 && dir <= 540 && !inside)
		abort(); // a field this wide sees every direction
	if (x == radar_x && y == radar_y &&
	    inside != quessel(1, 0, 0, 0, dir, angle))
		abort(); // the radar's own position lies along +x
	return 0;
}
