// orvane over arrays: one kernel over lanes, built by Highway for each SIMD
// target and chosen at run time (many/simd.h). Every lane whose points lie
// within the reach of orvane's unchecked steps takes those steps: the same
// integers, then the same double operations in the same order. Beyond it,
// a lane whose differences overflow, or surely their squares, is false as
// orvane's checked steps make it. The rest, and the tail shorter than a
// vector, are orvane's own to answer.
// Highway includes this file again for each target; this part, once.
#ifndef ORVANE_MANY_ONCE
#define ORVANE_MANY_ONCE
#include "orvane.h"
#include "simd.h"

#include <algorithm>
#include <cstdint>

namespace
{

using kernel = void (*)(size_t, const long long *, const long long *,
                        const long long *, const long long *, const long long *,
                        const long long *, const long long *, bool *);

void each(size_t n, const long long *start_x, const long long *start_y,
          const long long *end_x, const long long *end_y,
          const long long *center_x, const long long *center_y,
          const long long *radius, bool *answers)
{
	for (size_t i = 0; i < n; i++)
		answers[i] = orvane(start_x[i], start_y[i], end_x[i], end_y[i],
		                    center_x[i], center_y[i], radius[i]);
}

} // namespace
#endif

#if ORVANE_QUESSEL_SIMD
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "orvane_many.cpp"
#include "hwy/foreach_target.h" // IWYU pragma: keep
#include "hwy/highway.h"

// Only where there is SIMD: the fallback that Highway always builds would
// not be quicker than the loop of one question at a time.
#if HWY_TARGET != HWY_SCALAR && HWY_TARGET != HWY_EMU128
HWY_BEFORE_NAMESPACE();
namespace orvane_batch
{
namespace HWY_NAMESPACE
{
namespace hn = hwy::HWY_NAMESPACE;

void many(size_t n, const long long *start_x, const long long *start_y,
          const long long *end_x, const long long *end_y,
          const long long *center_x, const long long *center_y,
          const long long *radius, bool *answers)
{
	const hn::ScalableTag<int64_t> di;
	const hn::Rebind<double, decltype(di)> df;
	const hn::RebindToUnsigned<decltype(di)> du;
	const hn::Repartition<int32_t, decltype(di)> d32;
	const size_t lanes = hn::Lanes(di);
	const auto zero = hn::Zero(di), reach = hn::Set(di, 1LL << 30),
	           big = hn::Set(di, 3037000499);
	const auto half = hn::Set(df, 0.5);
	// Products of values below 2^31 in magnitude, from the low halves of
	// their lanes (on a little-endian target).
	const auto mul = [d32](auto a, auto b) HWY_ATTR {
		return hn::MulEven(hn::BitCast(d32, a), hn::BitCast(d32, b));
	};
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
			const auto sx = at(start_x), sy = at(start_y),
			           ex = at(end_x), ey = at(end_y),
			           cx = at(center_x), cy = at(center_y);
			// orvane's unchecked reach: from -2^30 to 2^30 - 1,
			// each plus 2^30 below 2^31, and so the bitwise or of
			// all six.
			const auto all =
			    hn::Or(hn::Or(hn::Or(sx + reach, sy + reach),
			                  hn::Or(ex + reach, ey + reach)),
			           hn::Or(cx + reach, cy + reach));
			const auto within = hn::RebindMask(
			    di, hn::Eq(hn::ShiftRight<31>(hn::BitCast(du, all)),
			               hn::Zero(du)));
			const auto dx = ex - sx, dy = ey - sy;
			const auto scx = cx - sx, scy = cy - sy, ecx = cx - ex,
			           ecy = cy - ey;
			// Beyond reach, orvane answers false once a step
			// overflows: surely where a difference wraps, or where
			// one reaches 3037000500 in magnitude, whose square
			// passes 2^63.
			const auto far = [&](decltype(zero) a, decltype(zero) b,
			                     decltype(zero) d) HWY_ATTR {
				return hn::Or(
				    hn::Lt(hn::And(a ^ b, a ^ d), zero),
				    hn::Or(hn::Gt(d, big),
				           hn::Lt(d, zero - big)));
			};
			auto decided = within;
			if (!hn::AllTrue(di, within))
				decided = hn::Or(
				    within,
				    hn::Or(hn::Or(far(ex, sx, dx),
				                  far(ey, sy, dy)),
				           hn::Or(hn::Or(far(cx, sx, scx),
				                         far(cy, sy, scy)),
				                  hn::Or(far(cx, ex, ecx),
				                         far(cy, ey, ecy)))));
			uint8_t yes_bits[8] = {}, decided_bits[8] = {};
			if (hn::AllFalse(di, decided)) {
				left.answer(answers, i, yes_bits, decided_bits,
				            lanes);
				continue;
			}
			auto cross = mul(dy, cx) - mul(dx, cy) + mul(ex, sy) -
			             mul(ey, sx);
			cross = hn::IfThenElse(hn::Lt(cross, zero),
			                       zero - cross, cross);
			const auto step_sq = mul(dx, dx) + mul(dy, dy);
			const auto start_sq = mul(scx, scx) + mul(scy, scy);
			const auto end_sq = mul(ecx, ecx) + mul(ecy, ecy);

			// As orvane: an end no nearer in squares is no nearer
			// rounded. Only the lanes left take their roots; the
			// others take roots of 1 and 0, so that no lane raises
			// a flag that orvane would not.
			const auto take = hn::RebindMask(
			    df, hn::And(within, hn::Lt(end_sq, start_sq)));
			const auto taken = [&](decltype(zero) v,
			                       double otherwise) HWY_ATTR {
				return hn::IfThenElse(take,
				                      hn::ConvertTo(df, v),
				                      hn::Set(df, otherwise));
			};
			const auto step_length = hn::Sqrt(taken(step_sq, 1.0));
			const auto line_distance =
			    hn::ConvertTo(df, cross) / step_length;
			const auto start_distance =
			    hn::Trunc(hn::Sqrt(taken(start_sq, 0.0)) + half);
			const auto end_distance =
			    hn::Trunc(hn::Sqrt(taken(end_sq, 0.0)) + half);
			const auto yes = hn::And(
			    take,
			    hn::And(hn::Le(line_distance,
			                   hn::ConvertTo(df, at(radius))),
			            hn::Lt(end_distance, start_distance)));

			hn::StoreMaskBits(df, yes, yes_bits);
			hn::StoreMaskBits(di, decided, decided_bits);
			left.answer(answers, i, yes_bits, decided_bits, lanes);
		}
		// The tail shorter than a vector, and the rest beyond reach.
		left.finish(i, end, n,
		            {start_x, start_y, end_x, end_y, center_x, center_y,
		             radius});
		for (size_t k = 0; k < left.count; k++) {
			size_t j = left[k];
			answers[j] =
			    orvane(start_x[j], start_y[j], end_x[j], end_y[j],
			           center_x[j], center_y[j], radius[j]);
		}
	}
}

} // namespace HWY_NAMESPACE
} // namespace orvane_batch
HWY_AFTER_NAMESPACE();
#endif
#endif

#if !ORVANE_QUESSEL_SIMD || HWY_ONCE
#define BATCH orvane
#include "builds.h"

void orvane_many(size_t n, const long long *start_x, const long long *start_y,
                 const long long *end_x, const long long *end_y,
                 const long long *center_x, const long long *center_y,
                 const long long *radius, bool *answers)
{
	chosen.kernel()(n, start_x, start_y, end_x, end_y, center_x, center_y,
	                radius, answers);
}
#endif
