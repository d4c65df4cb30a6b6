// Time per call of each predicate, and of its plain form (plain.h), over
// two fixed mixes of inputs: scattered, with coordinates at every scale and
// no boundary cases, and bounds, the boundary cases and hairs off them,
// where the predicates' short-cuts cannot decide and the defined steps run.
// The mixes are drawn at run time from a fixed seed, so every run measures
// the same inputs and the compiler can fold none of them.
//
// Then each predicate's time over its plain form's, on each mix. Times alone
// change with the machine and its load. The ratio is measured so that load
// on other cores cancels out; it still differs between processors, and with
// a thread that shares the core.
#include "plain.h"

#include <orvane.h>
#include <quessel.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace
{

constexpr size_t count = 16384; // a power of two, so the index wraps by mask

uint64_t next()
{
	static uint64_t state = 0x9e3779b97f4a7c15;
	state ^= state << 13;
	state ^= state >> 7;
	state ^= state << 17;
	return state;
}

long long within(long long bound)
{
	return static_cast<long long>(next() % (2 * bound + 1)) - bound;
}

// Below 2^bits in magnitude, of either sign, with bits from 1 to most.
long long scaled(int most)
{
	return within((1LL << (1 + next() % most)) - 1);
}

using approach_row = std::array<long long, 7>;
using radar_row = std::array<long long, 6>;

template <typename Row, typename Draw> std::vector<Row> draw(Draw row)
{
	std::vector<Row> in(count);
	std::generate(in.begin(), in.end(), row);
	return in;
}

// All three points and the radius at one scale, up to 2^30, inside the
// domain: some lines meet the circle, and of those some steps near it.
const auto approach_scattered = draw<approach_row>([] {
	long long s = llabs(scaled(30));
	approach_row a;
	std::generate(a.begin(), a.end(), [s] { return within(s); });
	a[6] = llabs(a[6]);
	return a;
});

// Lines that pass at exactly the radius, at every scale, along the axes and
// Pythagorean directions; and distances whose double roots fall on a half
// and tie.
const auto approach_bounds = draw<approach_row>([]() -> approach_row {
	static const long long steps[][3] = {
	    {1, 0, 1}, {0, 1, 1}, {3, 4, 5}, {-5, 12, 13}, {8, -15, 17}};
	if (next() % 2) {
		long long t = 5793 + static_cast<long long>(next() % 20000);
		return {t * t + 1, 0, t * t, t, 0, 0, t * t + 1};
	}
	const long long *u = steps[next() % 5];
	long long m = 1 + llabs(scaled(23)), k = llabs(scaled(23)) + 1;
	long long sx = scaled(24), sy = scaled(24);
	long long ex = sx + m * u[0], ey = sy + m * u[1];
	return {sx,
	        sy,
	        ex,
	        ey,
	        ex + m * u[0] - k * u[1],
	        ey + m * u[1] + k * u[0],
	        k * u[2]};
});

// Any offset below 2^62, facing any way within a turn, any width up to a
// full turn.
const auto radar_scattered = draw<radar_row>([] {
	int bits = 1 + static_cast<int>(next() % 61);
	auto c = [bits] { return within((1LL << bits) - 1); };
	radar_row r = {c(), c(), c(), c(), within(270) + 90, within(180) + 180};
	return r;
});

// A bound of the field on a whole degree, and the point on it along the
// axes and diagonals or within 10^-11 of it elsewhere; the point at the
// radar; facing directions beyond the range that wraps fully.
const auto radar_bounds = draw<radar_row>([] {
	long long d = within(180) + 180, half = within(90) + 90;
	double far = ldexp(1.0, 36 + static_cast<int>(next() % 25));
	radar_row r = {llround(far * cos(d * M_PI / 180)),
	               llround(far * sin(d * M_PI / 180)),
	               0,
	               0,
	               d + (next() % 2 ? half : -half),
	               2 * half};
	switch (next() % 4) {
	case 0:
		r[0] = r[2], r[1] = r[3];
		break;
	case 1:
		r[4] += 720;
	}
	return r;
});

// Asks once per iteration, on each input in turn.
template <typename Inputs, typename Ask>
void run(benchmark::State &state, const Inputs &in, Ask ask)
{
	size_t i = 0;
	for (auto _ : state)
		benchmark::DoNotOptimize(ask(in[i++ & (count - 1)]));
	state.SetItemsProcessed(state.iterations());
}

// Each asks once, of one input; as lambdas, they inline into the loops.
const auto distance_ask = [](const approach_row &a) {
	return calculate_euclidean_distance(a[0], a[1], a[4], a[5]);
};
const auto approach_ask = [](const approach_row &a) {
	return orvane(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
};
const auto approach_plain = [](const approach_row &a) {
	return plain::orvane(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
};
const auto radar_ask = [](const radar_row &a) {
	return quessel(a[0], a[1], a[2], a[3], a[4], a[5]);
};
const auto radar_plain = [](const radar_row &a) {
	return plain::quessel(a[0], a[1], a[2], a[3], a[4], a[5]);
};

// The time of one pass over all the inputs.
template <typename Inputs, typename Ask> double pass(const Inputs &in, Ask ask)
{
	auto start = std::chrono::steady_clock::now();
	for (const auto &a : in)
		benchmark::DoNotOptimize(ask(a));
	std::chrono::duration<double> took =
	    std::chrono::steady_clock::now() - start;
	return took.count();
}

// The median, over 2001 pairs of passes, of the predicate's time over its
// plain form's. The two passes of a pair run back to back, in alternating
// order, so whatever else the machine does slows both alike; the pairs it
// hits unevenly fall outside the median.
template <typename Inputs, typename Ask, typename Plain>
double ratio(const Inputs &in, Ask ask, Plain plain)
{
	std::vector<double> ratios(2001);
	for (size_t i = 0; i < ratios.size(); i++) {
		double plain_first = i % 2 ? pass(in, plain) : 0;
		double predicate = pass(in, ask);
		double plain_second = i % 2 ? 0 : pass(in, plain);
		ratios[i] = predicate / (plain_first + plain_second);
	}
	std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2,
	                 ratios.end());
	return ratios[ratios.size() / 2];
}

// Registers the predicate and its plain form on one mix, after checking
// that the two answer alike on all of it: no step of a mix overflows.
template <typename Inputs, typename Ask, typename Plain>
bool measure(const char *name, const char *mix, const Inputs &in, Ask ask,
             Plain plain)
{
	for (const auto &a : in)
		if (ask(a) != plain(a)) {
			fprintf(stderr,
			        "%s %s: the plain form answers otherwise\n",
			        name, mix);
			return false;
		}
	char label[64];
	snprintf(label, sizeof label, "%s/%s", name, mix);
	benchmark::RegisterBenchmark(
	    label, [&in, ask](auto &state) { run(state, in, ask); });
	snprintf(label, sizeof label, "%s/%s/plain", name, mix);
	benchmark::RegisterBenchmark(
	    label, [&in, plain](auto &state) { run(state, in, plain); });
	return true;
}

} // namespace

int main(int argc, char *argv[])
{
	benchmark::Initialize(&argc, argv);
	if (benchmark::ReportUnrecognizedArguments(argc, argv))
		return 1;
	benchmark::RegisterBenchmark(
	    "calculate_euclidean_distance",
	    [](auto &state) { run(state, approach_scattered, distance_ask); });
	if (!measure("orvane", "scattered", approach_scattered, approach_ask,
	             approach_plain) ||
	    !measure("orvane", "bounds", approach_bounds, approach_ask,
	             approach_plain) ||
	    !measure("quessel", "scattered", radar_scattered, radar_ask,
	             radar_plain) ||
	    !measure("quessel", "bounds", radar_bounds, radar_ask, radar_plain))
		return 1;
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();

	auto line = [](const char *name, const char *mix, double r) {
		printf("%s %s %.2f x the plain form\n", name, mix, r);
	};
	line("orvane", "scattered",
	     ratio(approach_scattered, approach_ask, approach_plain));
	line("orvane", "bounds",
	     ratio(approach_bounds, approach_ask, approach_plain));
	line("quessel", "scattered",
	     ratio(radar_scattered, radar_ask, radar_plain));
	line("quessel", "bounds", ratio(radar_bounds, radar_ask, radar_plain));
	return 0;
}
