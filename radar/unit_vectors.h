// The unit vector (cosine, sine) of every whole degree, for quessel's
// filter: computed at compile time in double-double arithmetic (about 106
// bits, from double operations alone, so the same on every target whatever
// its long double) and rounded once to the nearest double; the axes are
// exact. The filter's error bound needs only one ulp; tests/units.cpp holds
// every entry to correct rounding.
//
// Why each entry is correctly rounded: the Taylor series below is summed to
// x^29 for x up to pi/4, where the first term left out is below 2^-110 of
// the sum; each double-double operation errs by a few units of 2^-104; and
// pi/180 carries pi to 2^-107. So the sum lies within about 2^-100 of the
// true value, 2^-47 of an ulp, while no whole degree's cosine or sine lies
// nearer than 2^-7 of an ulp to a midpoint between two doubles (checked at
// 300 bits): rounding the sum's high part gives the nearest double. The
// other octants are exact reflections and turns of the first.
#pragma once

namespace unit_vectors
{

struct dd {
	double hi, lo;
};

constexpr dd quick_sum(double a, double b)
{
	double s = a + b;
	return {s, b - (s - a)};
}

constexpr dd add(dd a, dd b)
{
	double s = a.hi + b.hi, v = s - a.hi;
	double e = (a.hi - (s - v)) + (b.hi - v) + a.lo + b.lo;
	return quick_sum(s, e);
}

// Dekker's exact product, without a fused multiply-add.
constexpr dd mul(dd a, dd b)
{
	auto split = [](double v) {
		double c = 134217729.0 * v, h = c - (c - v);
		return dd{h, v - h};
	};
	dd x = split(a.hi), y = split(b.hi);
	double p = a.hi * b.hi;
	double e =
	    ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo;
	return quick_sum(p, e + a.hi * b.lo + a.lo * b.hi);
}

constexpr dd div(dd a, double b)
{
	double q = a.hi / b;
	dd r = add(a, mul({-q, 0}, {b, 0}));
	return quick_sum(q, r.hi / b);
}

struct unit {
	double cos, sin;
};

struct unit_table {
	unit at[360];
};

constexpr unit_table make_units()
{
	const dd pi = {3.141592653589793, 1.2246467991473532e-16};
	unit_table t{};
	for (int d = 0; d <= 45; d++) {
		dd x = mul(div(pi, 180), {static_cast<double>(d), 0});
		dd xx = mul(x, x), c = {1, 0}, s = x, ct = c, st = s;
		for (int k = 1; k < 15; k++) {
			ct = div(mul(ct, xx), -(2.0 * k - 1) * (2 * k));
			st = div(mul(st, xx), -(2.0 * k) * (2 * k + 1));
			c = add(c, ct), s = add(s, st);
		}
		// Each octant's reflections and turns; 0 - v, never -0.0.
		const unit first[] = {{c.hi, s.hi}, {s.hi, c.hi}};
		const int degree[] = {d, 90 - d};
		for (int i = 0; i < 2; i++) {
			double u = first[i].cos, v = first[i].sin;
			int a = degree[i];
			t.at[a] = {u, v};
			t.at[a + 90] = {0 - v, u};
			t.at[a + 180] = {0 - u, 0 - v};
			t.at[(a + 270) % 360] = {v, 0 - u};
		}
	}
	return t;
}

constexpr unit_table units = make_units();
static_assert(units.at[0].cos == 1 && units.at[0].sin == 0 &&
              units.at[90].cos == 0 && units.at[90].sin == 1 &&
              units.at[180].cos == -1 && units.at[270].sin == -1 &&
              units.at[30].sin == 0.5 && units.at[60].cos == 0.5);

} // namespace unit_vectors
