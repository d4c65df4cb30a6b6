// quessel over arrays: one kernel over lanes, built by Highway for each SIMD
// target and chosen at run time (many/simd.h). Each lane decides as quessel
// does without atan2: a half width below 0 or, facing within -180..540, of
// 180 or more; or its filter's same double operations in the same order,
// where they lie clear of its margin. The rest (an offset beyond 64 bits, a
// facing beyond the range, a point within a hair of a bound) and the tail
// shorter than a vector are quessel's own to answer.

// Highway includes this file again for each target; this part, once.
#ifndef QUESSEL_MANY_ONCE
#define QUESSEL_MANY_ONCE
#include "quessel.h"
#include "simd.h"
#include "unit_vectors.h"

#include <algorithm>
#include <cstdint>

// quessel's exact steps, in radar/quessel.cpp, for what the filter leaves.
bool quessel_field(double dx, double dy, long long radar_dir, long long half);

namespace
{

using kernel = void (*)(size_t, const long long *, const long long *,
                        const long long *, const long long *, const long long *,
                        const long long *, bool *);

void each(size_t n, const long long *x, const long long *y,
          const long long *radar_x, const long long *radar_y,
          const long long *radar_dir, const long long *radar_angle,
          bool *answers)
{
	for (size_t i = 0; i < n; i++)
		answers[i] = quessel(x[i], y[i], radar_x[i], radar_y[i],
		                     radar_dir[i], radar_angle[i]);
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
#endif

#if ORVANE_QUESSEL_SIMD
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "quessel_many.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep
#include "hwy/highway.h"

// Only where there is SIMD: the fallback that Highway always builds would
// not be quicker than the loop of one question at a time.
#if HWY_TARGET != HWY_SCALAR && HWY_TARGET != HWY_EMU128
HWY_BEFORE_NAMESPACE();
namespace quessel_batch
{
namespace HWY_NAMESPACE
{
namespace hn = hwy::HWY_NAMESPACE;

void many(size_t n, const long long *x, const long long *y,
          const long long *radar_x, const long long *radar_y,
          const long long *radar_dir, const long long *radar_angle,
          bool *answers)
{
	const hn::ScalableTag<int64_t> di;
	const hn::Rebind<double, decltype(di)> df;
	const hn::RebindToUnsigned<decltype(di)> du;
	const size_t lanes = hn::Lanes(di);
	const auto zero = hn::Zero(di);
	const auto turn = hn::Set(di, 360), one = hn::Set(di, 1);
	const auto margin_factor = hn::Set(df, 1e-10), none = hn::Zero(df);
	for (size_t start = 0; start < n; start += simd::left_over::span) {
		const size_t end = std::min(n, start + simd::left_over::span);
		simd::left_over left(start);
		size_t i = start;
		for (; i + lanes <= end; i += lanes) {
			const auto at = [&](const long long *p) HWY_ATTR {
				return hn::LoadU(
				    di,
				    reinterpret_cast<const int64_t *>(p + i));
			};
			const auto px = at(x), py = at(y), rx = at(radar_x),
			           ry = at(radar_y);
			const auto dir = at(radar_dir), angle = at(radar_angle);
			// Offsets that wrap take quessel's 128-bit route: a
			// difference overflows where its operands' signs differ
			// and its own is not the first's.
			const auto ox = px - rx, oy = py - ry;
			const auto wrapped =
			    hn::Lt(hn::Or(hn::And(px ^ rx, px ^ ox),
			                  hn::And(py ^ ry, py ^ oy)),
			           zero);
			const auto dx = hn::ConvertTo(df, ox),
			           dy = hn::ConvertTo(df, oy);
			// Halved toward zero: one added to a negative angle
			// first.
			const auto half = hn::ShiftRight<1>(
			    angle +
			    hn::BitCast(di, hn::ShiftRight<63>(
			                        hn::BitCast(du, angle))));

			const auto none_inside = hn::Lt(half, zero);
			const auto wraps =
			    hn::And(hn::Gt(dir, hn::Set(di, -181)),
			            hn::Lt(dir, hn::Set(di, 541)));
			const auto all_inside =
			    hn::And(wraps, hn::Gt(half, hn::Set(di, 179)));
			const auto filtered =
			    hn::AndNot(hn::Or(none_inside, all_inside), wraps);

			// The bounds' whole degrees, from -359 to 719 where
			// filtered, and 0 elsewhere, reduced to the table's
			// turn.
			const auto index = [&](decltype(zero) degree) HWY_ATTR {
				auto d =
				    hn::IfThenElseZero(filtered, degree) + turn;
				d = hn::IfThenElse(hn::Gt(d, hn::Set(di, 719)),
				                   d - turn, d);
				d = hn::IfThenElse(hn::Gt(d, hn::Set(di, 359)),
				                   d - turn, d);
				return d + d;
			};
			const auto lo = index(dir - half),
			           hi = index(dir + half);
			const auto lo_cos = hn::GatherIndex(df, units.at, lo),
			           lo_sin =
			               hn::GatherIndex(df, units.at, lo + one),
			           hi_cos = hn::GatherIndex(df, units.at, hi),
			           hi_sin =
			               hn::GatherIndex(df, units.at, hi + one);
			const auto left_of_lo = lo_cos * dy - lo_sin * dx;
			const auto right_of_hi = hi_sin * dx - hi_cos * dy;
			const auto margin =
			    margin_factor * (hn::Abs(dx) + hn::Abs(dy));
			const auto clear = hn::RebindMask(
			    di, hn::And(hn::Gt(hn::Abs(left_of_lo), margin),
			                hn::Gt(hn::Abs(right_of_hi), margin)));
			const auto after_lo = hn::RebindMask(
			               di, hn::Gt(left_of_lo, none)),
			           before_hi = hn::RebindMask(
			               di, hn::Gt(right_of_hi, none));
			const auto inside =
			    hn::Or(hn::And(after_lo, before_hi),
			           hn::And(hn::Gt(half, hn::Set(di, 90)),
			                   hn::Or(after_lo, before_hi)));
			const auto decided_by_filter =
			    hn::AndNot(wrapped, hn::And(filtered, clear));
			const auto yes = hn::Or(
			    all_inside, hn::And(decided_by_filter, inside));
			const auto decided = hn::Or(
			    hn::Or(none_inside, all_inside), decided_by_filter);

			uint8_t yes_bits[8] = {}, decided_bits[8] = {};
			hn::StoreMaskBits(di, yes, yes_bits);
			hn::StoreMaskBits(di, decided, decided_bits);
			left.answer(answers, i, yes_bits, decided_bits, lanes);
		}
		// The tail shorter than a vector, and what the filter left.
		left.finish(i, end, n,
		            {x, y, radar_x, radar_y, radar_dir, radar_angle});
		// quessel's exact steps, where the offsets fit; quessel
		// itself for its 128-bit ones.
		for (size_t k = 0; k < left.count; k++) {
			size_t j = left[k];
			long long ox, oy;
			answers[j] =
			    __builtin_sub_overflow(x[j], radar_x[j], &ox) ||
			            __builtin_sub_overflow(y[j], radar_y[j],
			                                   &oy)
			        ? quessel(x[j], y[j], radar_x[j], radar_y[j],
			                  radar_dir[j], radar_angle[j])
			        : quessel_field(static_cast<double>(ox),
			                        static_cast<double>(oy),
			                        radar_dir[j],
			                        radar_angle[j] / 2);
		}
	}
}

} // namespace HWY_NAMESPACE
} // namespace quessel_batch
HWY_AFTER_NAMESPACE();
#endif
#endif

#if !ORVANE_QUESSEL_SIMD || HWY_ONCE
#define BATCH quessel
#include "builds.h"

void quessel_many(size_t n, const long long *x, const long long *y,
                  const long long *radar_x, const long long *radar_y,
                  const long long *radar_dir, const long long *radar_angle,
                  bool *answers)
{
	chosen.kernel()(n, x, y, radar_x, radar_y, radar_dir, radar_angle,
	                answers);
}
#endif
