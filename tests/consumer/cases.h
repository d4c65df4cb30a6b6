// Asks the predicates in-process, one at a time and all at once, and wants
// the answers the programs give.
// Valid C and C++, so that consumer.c and consumer.cpp ask the same cases
// through the same headers. Prints each case as "PROGRAM ARGS... ANSWER"
// so that the test can ask the programs too.
#include <orvane.h>
#include <quessel.h>

#include <limits.h>
#include <stdio.h>

struct distance_case {
	long long x1, y1, x2, y2, want;
};

// Rounded half away from zero, the double root rounded, the integer
// square converted once (not hypot, not double squares), and the overflow
// marker.
static const struct distance_case distances[] = {
    {0, 0, 3, 4, 5},
    {0, 1, 10, 0, 10},
    {0, 0, 1, 1, 1},
    {100000000, 10000, 0, 0, 100000001},
    {-1, -1, 2, 3, 5},
    {0, 0, 94906565, 9742, 94906565},
    {0, 0, 94926049, 9743, 94926050},
    {0, 0, 3037000500, 0, LLONG_MAX},
};

struct approach_case {
	long long v[7];
	int want;
};

// The boundary cases of the program's tests: each turns on one floating
// step taken in its given order and precision.
static const struct approach_case approaches[] = {
    {{0, 0, 10, 0, 20, 5, 5}, 1},
    {{0, 0, 10, 0, 20, 5, 4}, 0},
    {{10, 0, 0, 0, 20, 5, 5}, 0},
    {{3, 3, 3, 3, 0, 0, 100}, 0},
    {{0, 1, 0, 0, 10, 0, 10}, 0},
    {{100000001, 0, 100000000, 10000, 0, 0, 100000001}, 0},
    {{0, 0, 200000000, 20000, 200000001, 0, 20000}, 1},
    {{0, 0, 18000000, 6000, 18000001, 0, 6000}, 0},
    {{0, 0, 220, 21, 539, -48, 99}, 1},
    {{0, 0, 64562, 146425, 258892, 291750, 119182}, 1},
    {{0, 0, 1, 0, 3037000500, 0, 0}, 0},
    {{10, 10, 20, 10, 30, 15, 5}, 1},
    {{0, 0, 7729107, 1393474, 23961975, -903476, 5140681}, 0},
    {{0, 0, 1, 0, 16777217, 16777217, 16777217}, 1},
};

struct radar_case {
	long long v[6];
	int want;
};

static const struct radar_case radars[] = {
    {{10, 10, 0, 0, 0, 90}, 1},
    {{10, 11, 0, 0, 0, 90}, 0},
    {{100, 101, 0, 0, 0, 91}, 0},
    {{10, 1, 0, 0, 350, 40}, 1},
    {{10, 1, 0, 0, 720, 90}, 0},
    {{-3000000000000000, -1, 0, 0, 180, 0}, 1},
    {{9000000000000000000, -1, 0, 0, 720, 0}, 1},
    {{1000000000000000000, 52407779283041205, 0, 0, 0, 6}, 1},
    {{1000000000000, 57289961630760, 0, 0, 0, 178}, 1},
    {{9007199254740993, 1, 9007199254740992, 0, 45, 2}, 1},
    {{1000, 10, 0, 0, 180, 360}, 1},
    {{10, 0, 0, 0, 16777219, 33553718}, 1},
    {{LLONG_MAX, 4611686018427389440, -4611686018427389437,
      -9223372036854775804, 45, 0},
     1},
};

static int failed;

static void report(const char *name, const long long *v, int n, long long got,
                   long long want)
{
	printf("%s", name);
	for (int i = 0; i < n; i++)
		printf(" %lld", v[i]);
	printf(" %lld\n", got);
	if (got != want) {
		fprintf(stderr, "%s: got %lld, want %lld\n", name, got, want);
		failed++;
	}
}

#define COUNT(a) (sizeof(a) / sizeof(a)[0])

// The same questions of each tool at once, in columns, through the batch
// functions: each answer must be the one wanted too.
static void ask_many(void)
{
	enum { A = COUNT(approaches), R = COUNT(radars) };
	long long a[7][A], r[6][R];
	bool got[A + R];
	for (size_t i = 0; i < A; i++)
		for (int k = 0; k < 7; k++)
			a[k][i] = approaches[i].v[k];
	for (size_t i = 0; i < R; i++)
		for (int k = 0; k < 6; k++)
			r[k][i] = radars[i].v[k];
	orvane_many(A, a[0], a[1], a[2], a[3], a[4], a[5], a[6], got);
	quessel_many(R, r[0], r[1], r[2], r[3], r[4], r[5], got + A);
	for (size_t i = 0; i < A + R; i++) {
		int want = i < A ? approaches[i].want : radars[i - A].want;
		if (got[i] != want) {
			fprintf(stderr, "%s_many, case %zu: got %d, want %d\n",
			        i < A ? "orvane" : "quessel", i < A ? i : i - A,
			        got[i], want);
			failed++;
		}
	}
}

// Returns the exit status: 0 when every answer is the one wanted.
static int ask_all(void)
{
	ask_many();
	for (size_t i = 0; i < COUNT(distances); i++) {
		const struct distance_case *c = &distances[i];
		const long long v[] = {c->x1, c->y1, c->x2, c->y2};
		report("distance", v, 4,
		       calculate_euclidean_distance(c->x1, c->y1, c->x2, c->y2),
		       c->want);
	}
	for (size_t i = 0; i < COUNT(approaches); i++) {
		const long long *v = approaches[i].v;
		report("orvane", v, 7,
		       orvane(v[0], v[1], v[2], v[3], v[4], v[5], v[6]),
		       approaches[i].want);
	}
	for (size_t i = 0; i < COUNT(radars); i++) {
		const long long *v = radars[i].v;
		report("quessel", v, 6,
		       quessel(v[0], v[1], v[2], v[3], v[4], v[5]),
		       radars[i].want);
	}
	return failed != 0;
}
