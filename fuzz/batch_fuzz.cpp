// The batch functions on arbitrary columns, in every build this processor
// runs, against the one-question functions: the same answers, nothing
// written past them, and no floating-point flag but inexact.
//
// Byte 0 picks the tool (bit 0) and where the columns start (bits 1-2);
// then each number is 8 bytes, shaped by its top three bits so that the
// edges the kernels turn at are near: any 64 bits, every scale, small
// values, orvane's reach and its squares' overflow, the extremes, and
// whole degrees.
#include "dispatch.h"
#include "orvane.h"
#include "quessel.h"

#include <cfenv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

long long shaped(uint64_t r)
{
	long long small = static_cast<long long>(r % 2001) - 1000;
	switch (r >> 61) {
	case 2:
		return static_cast<long long>(r << 3) >> (r & 63);
	case 3:
		return small;
	case 4:
		return (r & 1 ? 1LL << 30 : -(1LL << 30)) + small % 4;
	case 5:
		return (r & 1 ? 3037000500LL : -3037000500LL) + small % 4;
	case 6:
		return r & 1 ? LLONG_MAX - static_cast<long long>(r >> 1 & 3)
		             : LLONG_MIN + static_cast<long long>(r >> 1 & 3);
	case 7:
		return static_cast<long long>(r % 1441) - 360;
	default:
		return static_cast<long long>(r);
	}
}

constexpr int raised = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW | FE_UNDERFLOW;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	if (size < 1)
		return 0;
	const bool radar = data[0] & 1;
	const int count = radar ? 6 : 7;
	const size_t at = data[0] >> 1 & 3, n = (size - 1) / (8 * count);
	std::vector<long long> columns[7];
	for (int k = 0; k < count; k++) {
		columns[k].resize(at + n);
		for (size_t i = 0; i < n; i++) {
			uint64_t r;
			memcpy(&r, data + 1 + 8 * (i * count + k), 8);
			columns[k][at + i] = shaped(r);
		}
	}
	const long long *c[7];
	for (int k = 0; k < count; k++)
		c[k] = columns[k].data() + at;

	std::vector<unsigned char> want(n);
	feclearexcept(FE_ALL_EXCEPT);
	for (size_t i = 0; i < n; i++)
		want[i] = radar ? quessel(c[0][i], c[1][i], c[2][i], c[3][i],
		                          c[4][i], c[5][i])
		                : orvane(c[0][i], c[1][i], c[2][i], c[3][i],
		                         c[4][i], c[5][i], c[6][i]);
	if (fetestexcept(raised))
		abort();
	for (size_t b = 0;; b++) {
		const char *build =
		    radar ? quessel_many_build(b) : orvane_many_build(b);
		if (!build)
			break;
		radar ? quessel_many_pin(build) : orvane_many_pin(build);
		std::vector<unsigned char> got(n + 1, 2);
		bool *answers = reinterpret_cast<bool *>(got.data());
		feclearexcept(FE_ALL_EXCEPT);
		if (radar)
			quessel_many(n, c[0], c[1], c[2], c[3], c[4], c[5],
			             answers);
		else
			orvane_many(n, c[0], c[1], c[2], c[3], c[4], c[5], c[6],
			            answers);
		int flags = fetestexcept(raised);
		if (flags || got[n] != 2 ||
		    !std::equal(want.begin(), want.end(), got.begin())) {
			fprintf(stderr, "%s, %s: %s\n",
			        radar ? "quessel_many" : "orvane_many", build,
			        flags         ? "raised a flag"
			        : got[n] != 2 ? "wrote past its answers"
			                      : "answers otherwise");
			abort();
		}
	}
	orvane_many_pin(nullptr);
	quessel_many_pin(nullptr);
	return 0;
}
