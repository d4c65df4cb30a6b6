// Holds quessel's table of whole degrees to correct rounding: every entry
// the double nearest the platform's long double cosine or sine, and the
// axes exact. The filter's error bound needs only one ulp, but a table
// built one ulp off shows a fault in its double-double arithmetic.
#include "unit_vectors.h"

#include <cmath>
#include <cstdio>

using unit_vectors::units;

int main()
{
	const long double pi = 3.14159265358979323846264338327950288L;
	int failed = 0;
	for (int d = 0; d < 360; d++) {
		long double x = d * pi / 180, want[] = {cosl(x), sinl(x)};
		double got[] = {units.at[d].cos, units.at[d].sin};
		for (int i = 0; i < 2; i++) {
			double near = static_cast<double>(want[i]);
			bool ok = got[i] == (d % 90 ? near : rintl(want[i]));
			if (!ok)
				printf("%s %d: %.17g, want %.21Lg\n",
				       i ? "sin" : "cos", d, got[i], want[i]);
			failed += !ok;
		}
	}
	printf("units: 720 entries, %d wrong\n", failed);
	return failed != 0;
}
