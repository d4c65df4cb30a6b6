// The batch functions' time over the loop of one question at a time (their
// build "each"), on a million questions of three mixes: scattered, with
// coordinates at every scale below 2^30 as python_bench.py draws them; the
// bounds, where the filters cannot decide; and extremes of 64 bits, which
// take the checked steps. Each build this processor runs is measured, the
// one chosen first; each ratio is the median of 21 pairs of passes, back to
// back in alternating order, so that load elsewhere slows both alike.
//
//   build-bench/bench/batch_bench
#include "dispatch.h"

#include <orvane.h>
#include <quessel.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace
{

constexpr size_t count = 1000000;
std::mt19937_64 next(1);

long long within(long long bound)
{
	return static_cast<long long>(next() % (2 * bound + 1)) - bound;
}

// Below 2^bits in magnitude for bits from 1 to 29, each as often.
long long scaled()
{
	return within((1LL << (1 + next() % 29)) - 1);
}

long long extreme()
{
	static const long long edges[] = {
	    LLONG_MIN, LLONG_MAX, -(1LL << 62), 1LL << 62, 0, 1, -1};
	return next() % 2 ? static_cast<long long>(next()) : edges[next() % 7];
}

struct questions {
	std::vector<long long> columns[7];
};

// n columns of count questions, each row from draw.
template <typename Draw> questions make(int n, Draw draw)
{
	questions q;
	for (int k = 0; k < n; k++)
		q.columns[k].resize(count);
	long long row[7];
	for (size_t i = 0; i < count; i++) {
		draw(row);
		for (int k = 0; k < n; k++)
			q.columns[k][i] = row[k];
	}
	return q;
}

const questions approach[] = {
    make(7,
         [](long long *r) {
	         std::generate(r, r + 7, scaled), r[6] = llabs(r[6]);
         }),
    // Lines at exactly the radius along the axes, and steps far out.
    make(7,
         [](long long *r) {
	         long long s = scaled(), e = scaled(), k = llabs(scaled());
	         long long at[] = {s, 0, e, 0, scaled(), k, k};
	         std::copy(at, at + 7, r);
	         if (next() % 2)
		         std::swap(r[0], r[1]), std::swap(r[2], r[3]),
		             std::swap(r[4], r[5]);
         }),
    make(7, [](long long *r) { std::generate(r, r + 7, extreme); }),
};

const questions radar[] = {
    make(6,
         [](long long *r) {
	         std::generate(r, r + 4, scaled);
	         r[4] = within(360) + 180, r[5] = within(180) + 180;
         }),
    // A bound on a whole degree, and the point on it within 10^-11.
    make(6,
         [](long long *r) {
	         long long d = within(180) + 180, half = within(90) + 90;
	         double far = ldexp(1.0, 36 + static_cast<int>(next() % 25));
	         r[0] = llround(far * cos(d * M_PI / 180));
	         r[1] = llround(far * sin(d * M_PI / 180));
	         r[2] = r[3] = 0;
	         r[4] = d + (next() % 2 ? half : -half), r[5] = 2 * half;
         }),
    make(6, [](long long *r) { std::generate(r, r + 6, extreme); }),
};

bool answers[count];

double pass(const char *(*pin)(const char *), const char *build,
            void (*ask)(const questions &), const questions &q)
{
	pin(build);
	auto start = std::chrono::steady_clock::now();
	ask(q);
	std::chrono::duration<double> took =
	    std::chrono::steady_clock::now() - start;
	return took.count();
}

double ratio(const char *(*pin)(const char *), const char *build,
             void (*ask)(const questions &), const questions &q)
{
	std::vector<double> ratios(21);
	for (size_t i = 0; i < ratios.size(); i++) {
		double each_first = i % 2 ? pass(pin, "each", ask, q) : 0;
		double batch = pass(pin, build, ask, q);
		double each_second = i % 2 ? 0 : pass(pin, "each", ask, q);
		ratios[i] = batch / (each_first + each_second);
	}
	std::nth_element(ratios.begin(), ratios.begin() + 10, ratios.end());
	return ratios[10];
}

void ask_orvane(const questions &q)
{
	const auto &c = q.columns;
	orvane_many(count, c[0].data(), c[1].data(), c[2].data(), c[3].data(),
	            c[4].data(), c[5].data(), c[6].data(), answers);
}

void ask_quessel(const questions &q)
{
	const auto &c = q.columns;
	quessel_many(count, c[0].data(), c[1].data(), c[2].data(), c[3].data(),
	             c[4].data(), c[5].data(), answers);
}

} // namespace

int main()
{
	const char *mixes[] = {"scattered", "bounds", "extremes"};
	struct {
		const char *name;
		const char *(*build)(size_t);
		const char *(*pin)(const char *);
		void (*ask)(const questions &);
		const questions *mix;
		double goals[3];
	} const tools[] = {
	    {"orvane_many",
	     orvane_many_build,
	     orvane_many_pin,
	     ask_orvane,
	     approach,
	     {0.35, 1.15, 1.15}},
	    {"quessel_many",
	     quessel_many_build,
	     quessel_many_pin,
	     ask_quessel,
	     radar,
	     {0.55, 1.15, 1.15}},
	};
	for (const auto &t : tools) {
		for (size_t k = 0; const char *build = t.build(k); k++) {
			if (!strcmp(build, "each"))
				continue;
			for (int m = 0; m < 3; m++) {
				printf("%s %s %s %.2f x the one-question loop",
				       t.name, build, mixes[m],
				       ratio(t.pin, build, t.ask, t.mix[m]));
				// The goals are for the build chosen.
				printf(k ? "\n" : " (goal <= %.2f)\n",
				       t.goals[m]);
			}
		}
		t.pin(nullptr);
	}
	return 0;
}
