// Holds the tools to their plain reference on generated cases, built where
// faults hide: across the overflow edge of each integer step, on near-ties
// of each floating comparison, and on the offsets and directions that take
// a path of their own; then the batch functions, in every build this
// processor runs, against the predicates one question at a time. The seed
// is fixed, so a failure repeats.
// Usage: agreement [CASES [SEED]]
#include "reference.h"

#include "dispatch.h"
#include "span.h"

#include <algorithm>
#include <cfenv>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <random>

namespace
{

std::mt19937_64 next;

long long pick(long long lo, long long hi)
{
	return lo + static_cast<long long>(next() % (hi - lo + 1));
}

// Below 2^bits in magnitude, of either sign, with bits drawn from [lo, hi]:
// every scale as often.
long long scaled(int lo, int hi)
{
	int bits = static_cast<int>(pick(lo, hi));
	long long m = bits ? static_cast<long long>(next() >> (64 - bits)) : 0;
	return next() & 1 ? -m : m;
}

// Any scale, or an edge where a 64-bit step overflows or a double rounds.
long long value()
{
	static const long long edges[] = {
	    0,          1,           -1,         LLONG_MAX,
	    LLONG_MIN,  3037000499,  3037000500, 1073741823,
	    1073741824, -1073741824, 1LL << 53,  (1LL << 53) + 1};
	return next() % 2 ? scaled(0, 63) : edges[next() % 12];
}

// Turns the three points in v by one of the grid's eight symmetries, then
// moves them by (tx, ty), wrapping around where they leave 64 bits.
void move(long long *v, unsigned symmetry, long long tx, long long ty)
{
	for (int i = 0; i < 6; i += 2) {
		long long x = v[i + (symmetry & 1)],
		          y = v[i + 1 - (symmetry & 1)];
		uint64_t wx = static_cast<uint64_t>(symmetry & 2 ? -x : x) + tx;
		uint64_t wy = static_cast<uint64_t>(symmetry & 4 ? -y : y) + ty;
		v[i] = static_cast<long long>(wx);
		v[i + 1] = static_cast<long long>(wy);
	}
}

void set(long long *v, std::initializer_list<long long> row)
{
	std::copy(row.begin(), row.end(), v);
}

void approach_case(long long *v)
{
	switch (next() % 5) {
	case 0:
		std::generate(v, v + 7, value);
		return;
	case 1: { // small geometry far out, across the overflow edge of a step
		long long s = 1 + llabs(scaled(0, 32)), g[7];
		std::generate(g, g + 6, [s] { return pick(-s, s); });
		if (next() % 4 == 0) // the centre on the end point
			g[4] = g[2], g[5] = g[3];
		g[6] = pick(0, 2 * s);
		long long tx = scaled(0, 63), ty = next() & 1 ? -1 : 1;
		unsigned symmetry = next() % 8;
		auto at = [&](long long shift) {
			std::copy(g, g + 7, v);
			move(v, symmetry, tx, ty * shift);
			return reference::approach(v[0], v[1], v[2], v[3], v[4],
			                           v[5], v[6]);
		};
		// Each step is linear in ty and the answer the same wherever
		// all fit: the last ty with a true answer is an overflow edge.
		long long edge = 0;
		bool search = next() % 2 && at(0);
		for (long long bit = 1LL << 62; search && bit; bit >>= 1)
			edge +=
			    bit < LLONG_MAX - edge && at(edge + bit) ? bit : 0;
		at(edge ? edge + pick(0, 1) : scaled(0, 63));
		return;
	}
	case 2: { // the step (a, b) passes the centre (a + 1, b - r) at about
		// r + 4k / (b r^2): within 10^-12 of r, on either side
		long long r = 1 + llabs(scaled(0, 20));
		long long b = 1 + llabs(scaled(0, __builtin_clzll(r) - 35));
		long long a = b * (r * r - 1) / (2 * r) + pick(-1, 1);
		set(v, {0, 0, a, b, a + 1, b - r, r});
		break;
	}
	case 3: { // the line passes exactly at the radius, or at the nearest
		// whole number on a diagonal, with a cross term of any scale
		static const long long ways[][3] = {
		    {1, 0, 1}, {0, 1, 1}, {1, 1, 0}, {3, 4, 5}, {20, 21, 29}};
		const long long *u = ways[next() % 5];
		long long m = 1 + llabs(scaled(0, 28)), k = scaled(0, 28),
		          at = scaled(0, 28), c = at + m + scaled(0, 28);
		long long r =
		    u[2] ? llabs(k) * u[2] : llround(llabs(k) * M_SQRT2);
		set(v, {at * u[0], at * u[1], (at + m) * u[0], (at + m) * u[1],
		        c * u[0] - k * u[1], c * u[1] + k * u[0], r});
		break;
	}
	default: { // sqrt(t^4 + t^2) rounds to t^2 + 1/2 from about 2^25 to
		// the edge of 64-bit squares: one end of the step lands on the
		// half, either one, and the other rounds to either side of it
		long long t = pick(1, 55108), k = t * t;
		const long long lands[] = {k + pick(-1, 1), t + pick(-1, 1)},
		                other[] = {k + 1 + pick(-1, 1), pick(-1, 1)};
		const long long *start = next() & 1 ? lands : other,
		                *end = start == lands ? other : lands;
		set(v,
		    {start[0], start[1], end[0], end[1], 0, 0, k + pick(0, 1)});
	}
	}
	move(v, next() % 8, scaled(0, 29), scaled(0, 29));
}

void radar_case(long long *v)
{
	std::generate(v, v + 6, value);
	switch (next() % 4) {
	case 0: // facing and width within a turn or anywhere
		v[4] = next() % 2 ? v[4] : pick(-720, 1080);
		v[5] = next() % 2 ? v[5] : pick(-4, 724);
		return;
	case 1: { // a hair off a bound on a whole degree, at every scale and
		// through either offset route, sometimes facing an end of the
		// range that wraps fully
		static const long long ends[] = {-181, -180, 540, 541};
		long long half = next() % 2
		                     ? pick(0, 180)
		                     : (1LL << pick(50, 61)) + pick(-4, 4);
		long long side = next() & 1 ? half : -half;
		long long bound = pick(0, 359) + 360 * pick(-1, 1);
		v[4] = bound - side;
		if (next() % 4 == 0)
			v[4] = ends[next() % 4], bound = v[4] + side;
		v[5] = 2 * half + pick(0, 1);
		double angle = bound % 360 * 3.141592653589793 / 180;
		double far = ldexp(1 + ldexp(next() >> 11, -53), pick(0, 63));
		const reference::wide offset[] = {
		    static_cast<reference::wide>(nearbyint(far * cos(angle))),
		    static_cast<reference::wide>(nearbyint(far * sin(angle)))};
		for (int i = 0; i < 2; i++) { // the radar anywhere it fits
			reference::wide lo = std::max<reference::wide>(
			                    LLONG_MIN, LLONG_MIN - offset[i]),
			                hi = std::min<reference::wide>(
			                    LLONG_MAX, LLONG_MAX - offset[i]);
			v[i + 2] = static_cast<long long>(
			    lo + static_cast<reference::wide>(next()) %
			             (hi - lo + 1));
			v[i] = static_cast<long long>(v[i + 2] + offset[i]);
		}
		return;
	}
	case 2: { // equal offsets beyond 64 bits, on a diagonal
		long long from = LLONG_MIN + static_cast<long long>(next() / 4);
		long long to = LLONG_MAX - static_cast<long long>(next() / 4);
		long long shift = pick(LLONG_MIN - from, LLONG_MAX - to);
		bool x_back = next() & 1, y_back = next() & 1;
		static const long long diagonal[] = {45, 315, 135, 225};
		set(v, {x_back ? from : to, (y_back ? from : to) + shift,
		        x_back ? to : from, (y_back ? to : from) + shift,
		        diagonal[2 * x_back + y_back], pick(-1, 1)});
		return;
	}
	default: // the point at the radar, facing any way
		v[2] = v[0], v[3] = v[1];
		v[4] = next() % 4 ? pick(-1080, 1080) : v[4];
		v[5] = pick(-2, 2);
	}
}

// Where the batch functions' kernels change course: extremes, the edge of
// orvane's unchecked reach, a step of length 0, the point at the radar.
void extreme(long long *v, int n)
{
	static const long long edges[] = {LLONG_MIN,
	                                  LLONG_MAX,
	                                  -(1LL << 62),
	                                  1LL << 62,
	                                  -(1LL << 30),
	                                  1LL << 30,
	                                  (1LL << 30) - 1,
	                                  -(1LL << 30) - 1,
	                                  0,
	                                  1};
	switch (next() % 3) {
	case 0:
		v[next() % n] = edges[next() % 10];
		break;
	case 1: // orvane's end on its start, quessel's point on the radar
		v[2] = v[0], v[3] = v[1];
		break;
	default:
		std::generate(v, v + n, [] { return edges[next() % 10]; });
	}
}

// The cases of each tool in columns, a block at a time, and the answers of
// its predicate, one question at a time.
struct block {
	static constexpr size_t most = 4099;
	long long columns[7][most];
	bool want[most];
};

// Every flag but inexact, which the predicates raise and numpy ignores:
// none of them may be raised, one question at a time or many.
constexpr int raised = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW | FE_UNDERFLOW;

// Every lane of the vector registers a NaN, as a caller may leave them:
// whatever lanes a compiler adds to a step must raise no flag of their own.
inline void dirty()
{
#if defined(__x86_64__)
	__asm__ volatile(".irp r,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15\n\t"
	                 "pcmpeqd %%xmm\\r, %%xmm\\r\n\t"
	                 ".endr" ::
	                     : "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5",
	                       "xmm6", "xmm7", "xmm8", "xmm9", "xmm10", "xmm11",
	                       "xmm12", "xmm13", "xmm14", "xmm15");
#endif
}

// Each build of a batch function that this processor runs against its
// predicate, on the block from several offsets, odd lengths among them:
// the same answers, nothing written past them, and no flag. The build
// named first is left in use.
template <typename Many>
long long agree_many(const char *name, const char *(*build)(size_t),
                     const char *(*pin)(const char *), block &b, size_t n,
                     Many many)
{
	long long failed = 0;
	for (size_t k = 0; const char *target = build(k); k++) {
		pin(target);
		for (size_t offset : {0, 1, 3}) {
			static bool got[block::most + 1];
			size_t length = n - offset - (n - offset) % 2 * (k % 2);
			got[length] = true;
			feclearexcept(FE_ALL_EXCEPT);
			dirty();
			many(length, b, offset, got);
			int flags = fetestexcept(raised);
			for (size_t i = 0; i < length && failed < 5; i++)
				if (got[i] != b.want[offset + i]) {
					printf("%s_many, %s:", name, target);
					for (const auto &column : b.columns)
						printf(" %lld",
						       column[offset + i]);
					printf(": the batch says %d, one at a "
					       "time %d\n",
					       got[i], b.want[offset + i]);
					failed++;
				}
			if (!got[length] || flags) {
				printf("%s_many, %s: %s\n", name, target,
				       got[length] ? "raised a flag"
				                   : "wrote past its answers");
				failed++;
			}
		}
	}
	pin(build(0));
	return failed;
}

long long agree_blocks(block &approaches, block &radars, size_t n)
{
	long long failed = 0;
	feclearexcept(FE_ALL_EXCEPT);
	for (size_t i = 0; i < n; i++) {
		const auto &a = approaches.columns;
		dirty();
		approaches.want[i] = orvane(a[0][i], a[1][i], a[2][i], a[3][i],
		                            a[4][i], a[5][i], a[6][i]);
	}
	if (fetestexcept(raised)) {
		printf("orvane: raised a flag\n");
		failed++;
	}
	feclearexcept(FE_ALL_EXCEPT);
	for (size_t i = 0; i < n; i++) {
		const auto &r = radars.columns;
		dirty();
		radars.want[i] = quessel(r[0][i], r[1][i], r[2][i], r[3][i],
		                         r[4][i], r[5][i]);
	}
	if (fetestexcept(raised)) {
		printf("quessel: raised a flag\n");
		failed++;
	}
	return failed +
	       agree_many("orvane", orvane_many_build, orvane_many_pin,
	                  approaches, n,
	                  [](size_t length, block &b, size_t at, bool *got) {
		                  auto &c = b.columns;
		                  orvane_many(length, c[0] + at, c[1] + at,
		                              c[2] + at, c[3] + at, c[4] + at,
		                              c[5] + at, c[6] + at, got);
	                  }) +
	       agree_many(
	           "quessel", quessel_many_build, quessel_many_pin, radars, n,
	           [](size_t length, block &b, size_t at, bool *got) {
		           auto &c = b.columns;
		           quessel_many(length, c[0] + at, c[1] + at, c[2] + at,
		                        c[3] + at, c[4] + at, c[5] + at, got);
	           });
}

// Each SIMD build on scattered questions, some of orvane's beyond its
// reach where a step surely overflows: its filter decides nearly all of
// them, and leaves at most one in a hundred to the one-question predicate.
// A facing beyond the filter's range leaves every question, which shows
// that the count is kept and the build pinned is the one that runs.
long long decided_mostly()
{
	constexpr size_t n = 100000;
	static long long a[7][n], r[6][n];
	static bool got[n];
	for (size_t i = 0; i < n; i++) {
		bool far = next() & 1;
		for (auto &column : a)
			column[i] = far ? scaled(62, 62) : scaled(1, 29);
		a[6][i] = pick(0, 1LL << 29);
		for (int k = 0; k < 4; k++)
			r[k][i] = scaled(1, 29);
		// Half of them with a bound at 0 or 360 degrees, the turn's
		// ends of the filter's table.
		r[4][i] = pick(0, 359);
		r[5][i] = next() & 1 ? pick(0, 360)
		                     : 2 * std::min(r[4][i], 360 - r[4][i]);
	}
	long long failed = 0;
	static long long away[n];
	std::fill(away, away + n, 1000);
	for (size_t k = 0; const char *target = orvane_many_build(k); k++) {
		// The build pinned is the one that runs: the portable loop
		// leaves nothing over, since it takes every question alone.
		const char *o = orvane_many_pin(target),
		           *q = quessel_many_pin(target);
		bool each = !strcmp(target, "each");
		unsigned long long before = simd::left_total;
		quessel_many(n, r[0], r[1], r[2], r[3], away, r[5], got);
		if (!o || !q || strcmp(o, target) || strcmp(q, target) ||
		    simd::left_total - before != (each ? 0 : n)) {
			printf("%s: pinned, of %zu questions facing 1000 "
			       "degrees, it leaves %llu\n",
			       target, n, simd::left_total - before);
			failed++;
		}
		if (each)
			continue;
		before = simd::left_total;
		orvane_many(n, a[0], a[1], a[2], a[3], a[4], a[5], a[6], got);
		unsigned long long approaches = simd::left_total - before;
		quessel_many(n, r[0], r[1], r[2], r[3], r[4], r[5], got);
		unsigned long long radars =
		    simd::left_total - before - approaches;
		if (approaches > n / 100 || radars > n / 100) {
			printf(
			    "%s: of %zu scattered questions, orvane's filter "
			    "leaves %llu, quessel's %llu\n",
			    target, n, approaches, radars);
			failed++;
		}
	}
	orvane_many_pin(nullptr);
	quessel_many_pin(nullptr);
	return failed;
}

} // namespace

int main(int argc, char *argv[])
{
	long long cases = argc > 1 ? atoll(argv[1]) : 2000000, failed = 0;
	next.seed(argc > 2 ? strtoull(argv[2], nullptr, 0) : 1);
	static block approaches, radars;
	size_t n = 0;
	for (long long i = 0; i < cases && failed < 20; i++) {
		long long a[7], r[6];
		approach_case(a);
		radar_case(r);
		failed += !reference::agree_approach(a);
		failed += !reference::agree_radar(r);
		if (next() % 8 == 0)
			extreme(a, 7), extreme(r, 6);
		for (int k = 0; k < 7; k++)
			approaches.columns[k][n] = a[k];
		for (int k = 0; k < 6; k++)
			radars.columns[k][n] = r[k];
		if (++n == block::most || i + 1 == cases) {
			failed += agree_blocks(approaches, radars, n);
			n = 0;
		}
	}
	// No question: nothing read or written, in any build.
	for (size_t k = 0; const char *target = orvane_many_build(k); k++) {
		orvane_many_pin(target);
		quessel_many_pin(target);
		orvane_many(0, nullptr, nullptr, nullptr, nullptr, nullptr,
		            nullptr, nullptr, nullptr);
		quessel_many(0, nullptr, nullptr, nullptr, nullptr, nullptr,
		             nullptr, nullptr);
	}
	orvane_many_pin(nullptr);
	quessel_many_pin(nullptr);
	failed += decided_mostly();
	printf(
	    "agreement: %lld cases of each tool, also in blocks by the batch "
	    "builds",
	    cases);
	for (size_t k = 0; orvane_many_build(k); k++)
		printf(" %s", orvane_many_build(k));
	printf("; %lld disagreements\n", failed);
	return failed != 0;
}
