// Time per call of each predicate over a fixed mix of inputs: small and
// large coordinates inside the domain, the boundary cases, and inputs
// outside it. The mix is drawn at run time from a fixed seed, so every run
// measures the same inputs and the compiler can fold none of them.
//
// Then each predicate's time over its floor's: the math-library calls that
// its answers cannot do without, on operands converted from the same inputs
// beforehand. Times alone change with the machine and its load. The ratio
// is measured so that load on other cores cancels out; it still differs
// between processors, and with a thread that shares the core.
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

constexpr size_t count = 4096; // a power of two, so the index wraps by mask

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

// One coordinate of the given kind: small, large but inside the domain, or
// anywhere in the 64-bit range.
long long coordinate(int kind)
{
	switch (kind) {
	case 0:
		return within(1000);
	case 1:
		return within((1LL << 30) - 1);
	default:
		return static_cast<long long>(next());
	}
}

// Equal shares of small, large and unbounded coordinates and of boundary
// cases; shape fits the last arguments of a drawn row to their meaning.
template <size_t N, size_t B, typename Shape>
std::vector<std::array<long long, N>>
mix(const std::array<long long, N> (&boundary)[B], Shape shape)
{
	std::vector<std::array<long long, N>> in(count);
	for (auto &row : in) {
		int kind = static_cast<int>(next() % 4);
		if (kind == 3) {
			row = boundary[next() % B];
			continue;
		}
		std::generate(row.begin(), row.end(),
		              [kind] { return coordinate(kind); });
		shape(row);
	}
	return in;
}

const std::array<long long, 7> approach_boundary[] = {
    {0, 0, 10, 0, 20, 5, 5},
    {0, 1, 0, 0, 10, 0, 10},
    {3, 3, 3, 3, 0, 0, 100},
    {100000001, 0, 100000000, 10000, 0, 0, 100000001},
    {0, 0, 200000000, 20000, 200000001, 0, 20000},
    {0, 0, 64562, 146425, 258892, 291750, 119182},
};

const std::array<long long, 6> radar_boundary[] = {
    {10, 10, 0, 0, 0, 90},
    {10, 1, 0, 0, 720, 90},
    {0, 0, 0, 0, 180, 360},
    {-3000000000000000, -1, 0, 0, 180, 0},
    {9000000000000000000, -1, 0, 0, 720, 0},
    {1000000000000000000, 52407779283041205, 0, 0, 0, 6},
};

// Radii are drawn like coordinates, so some lines meet the circle and some
// radii are negative.
const auto approach_inputs = mix(approach_boundary, [](auto &) {});

// Facing directions mostly within the range that wraps fully, widths up to
// a full turn and beyond, both sometimes negative.
const auto radar_inputs = mix(radar_boundary, [](auto &row) {
	row[4] = static_cast<long long>(next() % 1000) - 300;
	row[5] = within(400);
});

// A difference that wraps where it overflows: a floor operand needs only
// the right magnitude, not the exact value.
double wrapped(long long a, long long b)
{
	return static_cast<double>(
	    static_cast<long long>(static_cast<unsigned long long>(a) -
	                           static_cast<unsigned long long>(b)));
}

double squared(long long x1, long long y1, long long x2, long long y2)
{
	double dx = wrapped(x2, x1), dy = wrapped(y2, y1);
	return dx * dx + dy * dy;
}

// orvane's floor: the step length's root for every input, and the two
// distances' roots and roundings where the line meets the circle. Only
// inputs inside the domain, where no step overflows, count as meeting it,
// so the floor never takes a root that orvane may skip.
const auto approach_floor_inputs = [] {
	std::vector<std::array<double, 4>> out;
	for (const auto &a : approach_inputs) {
		bool meets =
		    std::all_of(a.begin(), a.begin() + 6, [](long long c) {
			    return c > -(1LL << 30) && c < (1LL << 30);
		    });
		if (meets) {
			long long dx = a[2] - a[0], dy = a[3] - a[1];
			long long cross =
			    dy * a[4] - dx * a[5] + a[2] * a[1] - a[3] * a[0];
			meets =
			    fabs(static_cast<double>(cross)) <=
			    static_cast<double>(a[6]) *
			        sqrt(static_cast<double>(dx * dx + dy * dy));
		}
		out.push_back({squared(a[0], a[1], a[2], a[3]),
		               squared(a[0], a[1], a[4], a[5]),
		               squared(a[2], a[3], a[4], a[5]),
		               meets ? 1.0 : 0.0});
	}
	return out;
}();

// quessel's floor: atan2 of the two converted offsets.
const auto radar_floor_inputs = [] {
	std::vector<std::array<double, 2>> out;
	for (const auto &a : radar_inputs)
		out.push_back({wrapped(a[1], a[3]), wrapped(a[0], a[2])});
	return out;
}();

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
const auto distance_ask = [](const std::array<long long, 7> &a) {
	return calculate_euclidean_distance(a[0], a[1], a[4], a[5]);
};

const auto approach_ask = [](const std::array<long long, 7> &a) {
	return orvane(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
};

const auto approach_floor_ask = [](const std::array<double, 4> &a) {
	double step = sqrt(a[0]);
	if (a[3] != 0.0)
		step += static_cast<double>(llround(sqrt(a[1])) -
		                            llround(sqrt(a[2])));
	return step;
};

const auto radar_ask = [](const std::array<long long, 6> &a) {
	return quessel(a[0], a[1], a[2], a[3], a[4], a[5]);
};

const auto radar_floor_ask = [](const std::array<double, 2> &a) {
	return atan2(a[0], a[1]);
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

// The median, over 8001 pairs of passes, of the predicate's time over its
// floor's. The two passes of a pair run back to back, in alternating order,
// so whatever else the machine does slows both alike; the pairs it hits
// unevenly fall outside the median.
template <typename Inputs, typename Ask, typename Floors, typename Floor>
double ratio(const Inputs &in, Ask ask, const Floors &floor_in, Floor floor)
{
	std::vector<double> ratios(8001);
	for (size_t i = 0; i < ratios.size(); i++) {
		double floor_first = i % 2 ? pass(floor_in, floor) : 0;
		double predicate = pass(in, ask);
		double floor_second = i % 2 ? 0 : pass(floor_in, floor);
		ratios[i] = predicate / (floor_first + floor_second);
	}
	std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2,
	                 ratios.end());
	return ratios[ratios.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
	benchmark::Initialize(&argc, argv);
	if (benchmark::ReportUnrecognizedArguments(argc, argv))
		return 1;
	benchmark::RegisterBenchmark(
	    "calculate_euclidean_distance",
	    [](auto &state) { run(state, approach_inputs, distance_ask); });
	benchmark::RegisterBenchmark("orvane", [](auto &state) {
		run(state, approach_inputs, approach_ask);
	});
	benchmark::RegisterBenchmark("orvane_floor", [](auto &state) {
		run(state, approach_floor_inputs, approach_floor_ask);
	});
	benchmark::RegisterBenchmark("quessel", [](auto &state) {
		run(state, radar_inputs, radar_ask);
	});
	benchmark::RegisterBenchmark("quessel_floor", [](auto &state) {
		run(state, radar_floor_inputs, radar_floor_ask);
	});
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	printf("%-8s %5.2f x its floor\n", "orvane",
	       ratio(approach_inputs, approach_ask, approach_floor_inputs,
	             approach_floor_ask));
	printf("%-8s %5.2f x its floor\n", "quessel",
	       ratio(radar_inputs, radar_ask, radar_floor_inputs,
	             radar_floor_ask));
	return 0;
}
