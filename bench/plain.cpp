// The plain forms, in the written order of their steps.
#include "plain.h"

#include <cmath>

namespace plain
{

namespace
{

// Wrapping, where the signed operation would be undefined.
long long sub(long long a, long long b)
{
	return static_cast<long long>(static_cast<unsigned long long>(a) -
	                              static_cast<unsigned long long>(b));
}

long long add(long long a, long long b)
{
	return static_cast<long long>(static_cast<unsigned long long>(a) +
	                              static_cast<unsigned long long>(b));
}

long long mul(long long a, long long b)
{
	return static_cast<long long>(static_cast<unsigned long long>(a) *
	                              static_cast<unsigned long long>(b));
}

long long distance(long long x1, long long y1, long long x2, long long y2)
{
	long long dx = sub(x2, x1), dy = sub(y2, y1);
	long long sum = add(mul(dx, dx), mul(dy, dy));
	return llround(sqrt(static_cast<double>(sum)));
}

} // namespace

bool orvane(long long start_x, long long start_y, long long end_x,
            long long end_y, long long center_x, long long center_y,
            long long radius)
{
	long long dx = sub(end_x, start_x), dy = sub(end_y, start_y);
	long long cross = add(sub(mul(dy, center_x), mul(dx, center_y)),
	                      sub(mul(end_x, start_y), mul(end_y, start_x)));
	if (cross < 0)
		cross = sub(0, cross);
	long long step_sq = add(mul(dx, dx), mul(dy, dy));
	double step_length = sqrt(static_cast<double>(step_sq));
	double line_distance = static_cast<double>(cross) / step_length;
	long long start_distance =
	    distance(start_x, start_y, center_x, center_y);
	long long end_distance = distance(end_x, end_y, center_x, center_y);
	return line_distance <= static_cast<double>(radius) &&
	       end_distance < start_distance;
}

bool quessel(long long x, long long y, long long radar_x, long long radar_y,
             long long radar_dir, long long radar_angle)
{
	double dx = static_cast<double>(sub(x, radar_x));
	double dy = static_cast<double>(sub(y, radar_y));
	double bearing = atan2(dy, dx) * 180.0 / 3.141592653589793;
	if (bearing < 0)
		bearing = 360.0 + bearing;
	double difference = bearing - static_cast<double>(radar_dir);
	if (difference > 180.0)
		difference = difference - 360.0;
	if (difference < -180.0)
		difference = difference + 360.0;
	long long half = radar_angle / 2;
	return static_cast<double>(-half) <= difference &&
	       difference <= static_cast<double>(half);
}

} // namespace plain
