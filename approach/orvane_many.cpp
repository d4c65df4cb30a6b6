// orvane over arrays of questions.
#include "orvane.h"

void orvane_many(size_t n, const long long *start_x, const long long *start_y,
                 const long long *end_x, const long long *end_y,
                 const long long *center_x, const long long *center_y,
                 const long long *radius, bool *answers)
{
	for (size_t i = 0; i < n; i++)
		answers[i] = orvane(start_x[i], start_y[i], end_x[i], end_y[i],
		                    center_x[i], center_y[i], radius[i]);
}
