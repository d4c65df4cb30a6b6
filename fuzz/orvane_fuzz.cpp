// Feeds the Approach test arbitrary 64-bit inputs. The sanitizers catch
// any undefined step; the checks catch answers no input may give.
#include "orvane.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	long long v[7] = {};
	unsigned char small = 0;
	if (size > 0) {
		small = data[0];
		memcpy(v, data + 1, size - 1 < sizeof v ? size - 1 : sizeof v);
	}
	// Most raw values overflow; bring a chosen few into the exact domain.
	for (int i = 0; i < 7; i++)
		if (small & (1u << i))
			v[i] /= 1LL << 34;

	bool forward = orvane(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
	bool backward = orvane(v[2], v[3], v[0], v[1], v[4], v[5], v[6]);
	if (forward && backward)
		abort(); // a step and its reverse cannot both come nearer
	if (forward && (v[6] < 0 || (v[0] == v[2] && v[1] == v[3])))
		abort();

	long long there = calculate_euclidean_distance(v[0], v[1], v[4], v[5]);
	long long back = calculate_euclidean_distance(v[4], v[5], v[0], v[1]);
	if (there != back || there < 0)
		abort();
	return 0;
}
