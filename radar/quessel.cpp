// quessel: does a point lie within a radar's angular field?
#include "quessel.h"
#include "one_question.h"
#include "unit_vectors.h"

#include <cmath>

// An offset that overflows 64 bits is formed exactly in 128, so any pair of
// coordinates gets its geometric answer; the rest keep the cheap 64-bit
// conversion. An integer converts to the same double in either type.
__extension__ typedef __int128 wide;

namespace
{

// A whole degree from -359 through 719, reduced without branches, which
// on scattered directions would be mispredicted.
unit_vectors::unit unit_at(long long degree)
{
	long long i = degree + 360;
	i -= (i >= 720) * 360;
	i -= (i >= 360) * 360;
	return unit_vectors::units.at[i];
}

} // namespace

// The answer exactly as defined, for the inputs the filter cannot decide;
// the batch kernel's too.
bool quessel_field(double dx, double dy, long long radar_dir, long long half)
{
	// Two roundings, not one multiplication by a degrees-per-radian
	// factor: the answers on the bound depend on it.
	double bearing = atan2(dy, dx) * 180.0 / 3.141592653589793;

	// Each correction adds a whole turn or 0.0, which changes nothing here
	// (no value is -0.0), and the bounds are tested with &: the compiler
	// then chooses without branches, which on scattered directions are
	// mispredicted at a cost above the atan2 call's.
	bearing += bearing < 0 ? 360.0 : 0.0;

	// One correction each way: a facing direction outside -180..540 is
	// deliberately left partly unwrapped.
	double difference = bearing - static_cast<double>(radar_dir);
	difference += 180.0 < difference ? -360.0 : 0.0;
	difference += difference < -180.0 ? 360.0 : 0.0;

	return (static_cast<double>(-half) <= difference) &
	       (difference <= static_cast<double>(half));
}

bool quessel(long long x, long long y, long long radar_x, long long radar_y,
             long long radar_dir, long long radar_angle)
{
	long long ox, oy;
	double dx = __builtin_sub_overflow(x, radar_x, &ox)
	                ? static_cast<double>(static_cast<wide>(x) - radar_x)
	                : static_cast<double>(ox);
	double dy = __builtin_sub_overflow(y, radar_y, &oy)
	                ? static_cast<double>(static_cast<wide>(y) - radar_y)
	                : static_cast<double>(oy);
	long long half = radar_angle / 2;

	// -half > 0 > half: no difference lies between the bounds.
	if (half < 0)
		return false;
	// A bearing in [0, 360] less a facing direction in [-180, 540] lies in
	// [-540, 540], which the two corrections bring within [-180, 180]:
	// inside any half width of 180 or more.
	bool wraps = -180 <= radar_dir && radar_dir <= 540;
	if (wraps && half >= 180)
		return true;
	if (!wraps)
		return quessel_field(dx, dy, radar_dir, half);

	// The field is the arc from the bound radar_dir - half counter-
	// clockwise to radar_dir + half, and the sign of each bound's cross
	// product with the offset tells on which side of its ray the offset
	// lies. Its error is below 3 * 2^-53 * (|dx| + |dy|): an ulp of each
	// table entry, the two products and the difference. The defined
	// answer is that of the exact bearing wherever this lies more than
	// about 4e-15 radians off each bound: atan2 within 4 ulps of pi
	// (1.8e-15), and half an ulp each for the *180, the /pi, the constant
	// pi itself, the +360 and the -radar_dir (2.2e-15 in all), while the
	// two corrections are exact (Sterbenz). A side value beyond the
	// margin puts the offset more than 1e-10 radians off the bound: a
	// headroom of 10^4 over both errors, so that atan2 may even be off by
	// 10^5 ulps. The offset (0, 0), and any on or within a hair of a
	// bound, take the defined steps.
	unit_vectors::unit lo = unit_at(radar_dir - half),
	                   hi = unit_at(radar_dir + half);
	double left_of_lo = lo.cos * dy - lo.sin * dx;
	double right_of_hi = hi.sin * dx - hi.cos * dy;
	double margin = 1e-10 * (fabs(dx) + fabs(dy));
	if (!(fabs(left_of_lo) > margin && fabs(right_of_hi) > margin))
		return quessel_field(dx, dy, radar_dir, half);
	// Up to 180 degrees wide the field is where both half-planes meet; a
	// wider one, all but the gap where neither holds.
	bool after_lo = left_of_lo > 0, before_hi = right_of_hi > 0;
	return (after_lo & before_hi) | ((half > 90) & (after_lo | before_hi));
}

// The program: six numbers, one question. Weak, so that a program that
// links the library with this object brings its own main; hidden, so that
// no program exports it.
__attribute__((weak, visibility("hidden"))) int main(int argc, char *argv[])
{
	return one_question<6>(
	    argc, argv, "quessel", "x y radar_x radar_y radar_dir radar_angle",
	    [](const long long *v) {
		    return quessel(v[0], v[1], v[2], v[3], v[4], v[5]);
	    });
}
