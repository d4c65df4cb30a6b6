// quessel's decision for a vector of questions, for each Highway target
// (quessel_many.cpp), without atan2: a half width below 0 or, facing within
// -180..540, of 180 or more; or its filter's same double operations in the
// same order, where they lie clear of its margin. The rest (an offset
// beyond 64 bits, a facing beyond the range, a point within a hair of a
// bound) are quessel's own to answer.
#include "span-inl.h"

#if SIMD_SPANS
HWY_BEFORE_NAMESPACE();
namespace HWY_NAMESPACE::spans
{

template <> struct decision<quessel_tag> : columns_of<6> {
	auto operator()(size_t i) const
	{
		const auto zero = hn::Zero(di);
		const auto turn = hn::Set(di, 360), to_sine = hn::Set(di, 1);
		const auto margin_factor = hn::Set(df, 1e-10),
		           none = hn::Zero(df);
		const auto at = [&](int k) HWY_ATTR {
			return hn::LoadU(
			    di, reinterpret_cast<const int64_t *>(c[k] + i));
		};
		const auto px = at(0), py = at(1), rx = at(2), ry = at(3);
		const auto dir = at(4), angle = at(5);
		// Offsets that wrap take quessel's 128-bit route: a difference
		// overflows where its operands' signs differ and its own is not
		// the first's.
		const auto ox = px - rx, oy = py - ry;
		const auto wrapped = hn::Lt(hn::Or(hn::And(px ^ rx, px ^ ox),
		                                   hn::And(py ^ ry, py ^ oy)),
		                            zero);
		const auto dx = hn::ConvertTo(df, ox),
		           dy = hn::ConvertTo(df, oy);
		// Halved toward zero: one added to a negative angle first.
		const auto half = hn::ShiftRight<1>(
		    angle + hn::BitCast(di, hn::ShiftRight<63>(
		                                hn::BitCast(du, angle))));

		const auto none_inside = hn::Lt(half, zero);
		const auto wraps = hn::And(hn::Gt(dir, hn::Set(di, -181)),
		                           hn::Lt(dir, hn::Set(di, 541)));
		const auto all_inside =
		    hn::And(wraps, hn::Gt(half, hn::Set(di, 179)));
		const auto filtered =
		    hn::AndNot(hn::Or(none_inside, all_inside), wraps);

		// The bounds' whole degrees, from -359 to 719 where filtered,
		// and 0 elsewhere, reduced to the table's turn.
		const auto index = [&](decltype(zero) degree) HWY_ATTR {
			auto d = hn::IfThenElseZero(filtered, degree) + turn;
			d = hn::IfThenElse(hn::Gt(d, hn::Set(di, 719)),
			                   d - turn, d);
			d = hn::IfThenElse(hn::Gt(d, hn::Set(di, 359)),
			                   d - turn, d);
			return d + d;
		};
		const auto lo = index(dir - half), hi = index(dir + half);
		const auto lo_cos = hn::GatherIndex(df, units.at, lo),
		           lo_sin = hn::GatherIndex(df, units.at, lo + to_sine),
		           hi_cos = hn::GatherIndex(df, units.at, hi),
		           hi_sin = hn::GatherIndex(df, units.at, hi + to_sine);
		const auto left_of_lo = lo_cos * dy - lo_sin * dx;
		const auto right_of_hi = hi_sin * dx - hi_cos * dy;
		const auto margin = margin_factor * (hn::Abs(dx) + hn::Abs(dy));
		const auto clear = hn::RebindMask(
		    di, hn::And(hn::Gt(hn::Abs(left_of_lo), margin),
		                hn::Gt(hn::Abs(right_of_hi), margin)));
		const auto after_lo =
		               hn::RebindMask(di, hn::Gt(left_of_lo, none)),
		           before_hi =
		               hn::RebindMask(di, hn::Gt(right_of_hi, none));
		const auto inside =
		    hn::Or(hn::And(after_lo, before_hi),
		           hn::And(hn::Gt(half, hn::Set(di, 90)),
		                   hn::Or(after_lo, before_hi)));
		const auto decided_by_filter =
		    hn::AndNot(wrapped, hn::And(filtered, clear));
		return std::make_pair(
		    hn::Or(all_inside, hn::And(decided_by_filter, inside)),
		    hn::Or(hn::Or(none_inside, all_inside), decided_by_filter));
	}

	// quessel's exact steps where the offsets fit; quessel itself for
	// its 128-bit ones.
	bool one(size_t j) const
	{
		long long ox, oy;
		return __builtin_sub_overflow(c[0][j], c[2][j], &ox) ||
		               __builtin_sub_overflow(c[1][j], c[3][j], &oy)
		           ? quessel_one(c, j)
		           : quessel_field(static_cast<double>(ox),
		                           static_cast<double>(oy), c[4][j],
		                           c[5][j] / 2);
	}
};

} // namespace HWY_NAMESPACE::spans
HWY_AFTER_NAMESPACE();
#endif
