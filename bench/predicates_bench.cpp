// Time per call of each predicate over a fixed mix of inputs: small and
// large coordinates inside the domain, the boundary cases, and inputs
// outside it. The mix is drawn at run time from a fixed seed, so every run
// measures the same inputs and the compiler can fold none of them.
//
// Beside each predicate runs its floor, the math-library calls it cannot
// do without, on operands converted from the same inputs beforehand; the
// ratio of the two, printed last, comes from one run and so holds on any
// machine, where the times alone do not.
#include <orvane.h>
#include <quessel.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
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

// orvane's floor: the step length and the two distances' square roots,
// and the two roundings.
const auto approach_floor_inputs = [] {
	std::vector<std::array<double, 3>> out;
	for (const auto &a : approach_inputs)
		out.push_back({squared(a[0], a[1], a[2], a[3]),
		               squared(a[0], a[1], a[4], a[5]),
		               squared(a[2], a[3], a[4], a[5])});
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

void distance(benchmark::State &state)
{
	run(state, approach_inputs, [](const auto &a) {
		return calculate_euclidean_distance(a[0], a[1], a[4], a[5]);
	});
}

void approach(benchmark::State &state)
{
	run(state, approach_inputs, [](const auto &a) {
		return orvane(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
	});
}

void radar(benchmark::State &state)
{
	run(state, radar_inputs, [](const auto &a) {
		return quessel(a[0], a[1], a[2], a[3], a[4], a[5]);
	});
}

void approach_floor(benchmark::State &state)
{
	run(state, approach_floor_inputs, [](const auto &a) {
		return sqrt(a[0]) + static_cast<double>(llround(sqrt(a[1])) -
		                                        llround(sqrt(a[2])));
	});
}

void radar_floor(benchmark::State &state)
{
	run(state, radar_floor_inputs,
	    [](const auto &a) { return atan2(a[0], a[1]); });
}

// The usual table, and then each predicate's time over its floor's: the
// median's where the runs are repeated.
class ratio_reporter : public benchmark::ConsoleReporter
{
      public:
	void ReportRuns(const std::vector<Run> &runs) override
	{
		ConsoleReporter::ReportRuns(runs);
		for (const Run &r : runs)
			if (r.run_type == Run::RT_Iteration ||
			    r.aggregate_name == "median")
				ns[r.run_name.function_name] =
				    r.GetAdjustedRealTime();
	}

	void print_ratio(const char *name)
	{
		std::string floor = std::string(name) + "_floor";
		if (ns.count(name) && ns.count(floor) && ns[floor] > 0)
			printf("%-8s %5.2f x its floor\n", name,
			       ns[name] / ns[floor]);
	}

      private:
	std::map<std::string, double> ns;
};

} // namespace

BENCHMARK(distance)->Name("calculate_euclidean_distance");
BENCHMARK(approach)->Name("orvane");
BENCHMARK(approach_floor)->Name("orvane_floor");
BENCHMARK(radar)->Name("quessel");
BENCHMARK(radar_floor)->Name("quessel_floor");

int main(int argc, char *argv[])
{
	benchmark::Initialize(&argc, argv);
	if (benchmark::ReportUnrecognizedArguments(argc, argv))
		return 1;
	ratio_reporter reporter;
	benchmark::RunSpecifiedBenchmarks(&reporter);
	benchmark::Shutdown();
	reporter.print_ratio("orvane");
	reporter.print_ratio("quessel");
	return 0;
}
