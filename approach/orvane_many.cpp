// orvane over arrays: its kernel over lanes (orvane_many-inl.h), built by
// Highway for each SIMD target and chosen at run time, or the loop of one
// question at a time.
#include "orvane.h"

namespace
{

bool orvane_one(const long long *const *c, size_t i)
{
	return orvane(c[0][i], c[1][i], c[2][i], c[3][i], c[4][i], c[5][i],
	              c[6][i]);
}

} // namespace

// orvane_many, its columns in order, for each build.
#define BATCH orvane
#define BATCH_COLUMNS(column)                                                  \
	column(start_x) column(start_y) column(end_x) column(end_y)            \
	    column(center_x) column(center_y) column(radius)
#define HWY_TARGET_INCLUDE "orvane_many-inl.h"
#include "builds.h"
