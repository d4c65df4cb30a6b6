// quessel over arrays of questions.
#include "quessel.h"

void quessel_many(size_t n, const long long *x, const long long *y,
                  const long long *radar_x, const long long *radar_y,
                  const long long *radar_dir, const long long *radar_angle,
                  bool *answers)
{
	for (size_t i = 0; i < n; i++)
		answers[i] = quessel(x[i], y[i], radar_x[i], radar_y[i],
		                     radar_dir[i], radar_angle[i]);
}
