// Feeds the Approach test arbitrary 64-bit inputs, for the sanitizers to
// catch any undefined step and the reference to check each answer and
// distance, then holds it to the plane's exact symmetries:
// moving all three points by one offset, or turning or mirroring them all
// on the integer grid, leaves every integer square and the cross term's
// magnitude as they were, so the answer and the distances may not change.
#include "orvane.h"
#include "reference.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{

// Coordinates and offsets below 2^29 keep the moved points below 2^30,
// where no integer step can overflow.
constexpr long long moved_below = 1LL << 29;

struct point {
	long long x, y;
};

// One of the grid's eight symmetries: bit 0 swaps x and y, bits 1 and 2
// negate them.
point turn(point p, unsigned symmetry)
{
	if (symmetry & 1)
		p = {p.y, p.x};
	if (symmetry & 2)
		p.x = -p.x;
	if (symmetry & 4)
		p.y = -p.y;
	return p;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	long long v[10] = {};
	memcpy(v, data, size < sizeof v ? size : sizeof v);
	if (!reference::agree_approach(v))
		abort();

	std::transform(v, v + 10, v,
	               [](long long n) { return n % moved_below; });
	point p[3] = {{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}};
	long long radius = v[6];
	point offset = {v[7], v[8]};
	unsigned symmetry = static_cast<unsigned>(v[9]) & 7;

	point q[3];
	for (int i = 0; i < 3; i++) {
		q[i] = turn(p[i], symmetry);
		q[i] = {q[i].x + offset.x, q[i].y + offset.y};
	}
	if (orvane(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, radius) !=
	    orvane(q[0].x, q[0].y, q[1].x, q[1].y, q[2].x, q[2].y, radius))
		abort();
	if (calculate_euclidean_distance(p[0].x, p[0].y, p[2].x, p[2].y) !=
	    calculate_euclidean_distance(q[0].x, q[0].y, q[2].x, q[2].y))
		abort();
	return 0;
}
