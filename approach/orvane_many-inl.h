// orvane's decision for a vector of questions, for each Highway target
// (orvane_many.cpp): every lane whose points lie within the reach of
// orvane's unchecked steps takes those steps, the same integers, then the
// same double operations in the same order; beyond it, a lane whose
// differences overflow, or surely their squares, is false as orvane's
// checked steps make it. The rest are orvane's own to answer.
#include "span-inl.h"

#if SIMD_SPANS
HWY_BEFORE_NAMESPACE();
namespace HWY_NAMESPACE::spans
{

template <> struct decision<orvane_tag> : columns_of<7> {
	auto operator()(size_t i) const
	{
		const hn::Repartition<int32_t, int64s> d32;
		const auto zero = hn::Zero(di), reach = hn::Set(di, 1LL << 30),
		           big = hn::Set(di, 3037000499);
		const auto half = hn::Set(df, 0.5);
		// Products of values below 2^31 in magnitude, from the low
		// halves of their lanes (on a little-endian target).
		const auto mul = [d32](auto a, auto b) HWY_ATTR {
			return hn::MulEven(hn::BitCast(d32, a),
			                   hn::BitCast(d32, b));
		};
		const auto at = [&](int k) HWY_ATTR {
			return hn::LoadU(
			    di, reinterpret_cast<const int64_t *>(c[k] + i));
		};
		const auto sx = at(0), sy = at(1), ex = at(2), ey = at(3),
		           cx = at(4), cy = at(5);
		// orvane's unchecked reach: from -2^30 to 2^30 - 1, each plus
		// 2^30 below 2^31, and so the bitwise or of all six.
		const auto all = hn::Or(hn::Or(hn::Or(sx + reach, sy + reach),
		                               hn::Or(ex + reach, ey + reach)),
		                        hn::Or(cx + reach, cy + reach));
		const auto within = hn::RebindMask(
		    di, hn::Eq(hn::ShiftRight<31>(hn::BitCast(du, all)),
		               hn::Zero(du)));
		const auto dx = ex - sx, dy = ey - sy;
		const auto scx = cx - sx, scy = cy - sy, ecx = cx - ex,
		           ecy = cy - ey;
		// Beyond reach, orvane answers false once a step overflows:
		// surely where a difference wraps, or where one reaches
		// 3037000500 in magnitude, whose square passes 2^63.
		const auto far = [&](decltype(zero) a, decltype(zero) b,
		                     decltype(zero) d) HWY_ATTR {
			return hn::Or(
			    hn::Lt(hn::And(a ^ b, a ^ d), zero),
			    hn::Or(hn::Gt(d, big), hn::Lt(d, zero - big)));
		};
		auto decided = within;
		if (!hn::AllTrue(di, within))
			decided = hn::Or(
			    within,
			    hn::Or(hn::Or(far(ex, sx, dx), far(ey, sy, dy)),
			           hn::Or(hn::Or(far(cx, sx, scx),
			                         far(cy, sy, scy)),
			                  hn::Or(far(cx, ex, ecx),
			                         far(cy, ey, ecy)))));
		if (hn::AllFalse(di, decided))
			return std::make_pair(decided, decided);
		auto cross =
		    mul(dy, cx) - mul(dx, cy) + mul(ex, sy) - mul(ey, sx);
		cross =
		    hn::IfThenElse(hn::Lt(cross, zero), zero - cross, cross);
		const auto step_sq = mul(dx, dx) + mul(dy, dy);
		const auto start_sq = mul(scx, scx) + mul(scy, scy);
		const auto end_sq = mul(ecx, ecx) + mul(ecy, ecy);

		// As orvane: an end no nearer in squares is no nearer rounded.
		// Only the lanes left take their roots; the others take roots
		// of 1 and 0, so that no lane raises a flag that orvane would
		// not.
		const auto take = hn::RebindMask(
		    df, hn::And(within, hn::Lt(end_sq, start_sq)));
		const auto taken = [&](decltype(zero) v,
		                       double otherwise) HWY_ATTR {
			return hn::IfThenElse(take, hn::ConvertTo(df, v),
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
		    hn::And(hn::Le(line_distance, hn::ConvertTo(df, at(6))),
		            hn::Lt(end_distance, start_distance)));
		return std::make_pair(hn::RebindMask(di, yes), decided);
	}

	bool one(size_t j) const
	{
		return orvane_one(c, j);
	}
};

} // namespace HWY_NAMESPACE::spans
HWY_AFTER_NAMESPACE();
#endif
