// quessel over arrays: its kernel over lanes (quessel_many-inl.h), built by
// Highway for each SIMD target and chosen at run time, or the loop of one
// question at a time.
#include "quessel.h"
#include "unit_vectors.h"

// quessel's exact steps, in radar/quessel.cpp, for what the filter leaves.
bool quessel_field(double dx, double dy, long long radar_dir, long long half);

namespace
{

bool quessel_one(const long long *const *c, size_t i)
{
	return quessel(c[0][i], c[1][i], c[2][i], c[3][i], c[4][i], c[5][i]);
}

// The degree table as one array to gather from: degree d's cosine at 2d,
// its sine at 2d + 1.
struct flat_units {
	double at[720];
};

constexpr flat_units flatten()
{
	flat_units f{};
	for (int d = 0; d < 360; d++) {
		f.at[2 * d] = unit_vectors::units.at[d].cos;
		f.at[2 * d + 1] = unit_vectors::units.at[d].sin;
	}
	return f;
}

constexpr flat_units units = flatten();

} // namespace

// quessel_many, its columns in order, for each build.
#define BATCH quessel
#define BATCH_COLUMNS(column)                                                  \
	column(x) column(y) column(radar_x) column(radar_y) column(radar_dir)  \
	    column(radar_angle)
#define HWY_TARGET_INCLUDE "quessel_many-inl.h"
#include "builds.h"
