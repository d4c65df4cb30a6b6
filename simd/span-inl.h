// The batch function of every kernel, for each Highway target: questions a
// vector at a time in spans of 256, each vector's answers stored as the
// tool's decision gives them, and the questions it leaves, with the span's
// tail shorter than a vector, answered one at a time after the span. A
// kernel gives its decision per vector alone, as a specialization of
// decision. Included, as Highway's own -inl.h headers are, from a kernel's
// -inl.h that foreach_target.h includes again for each target.
#if defined(SIMD_SPAN_INL_H_TARGET) == defined(HWY_TARGET_TOGGLE)
#ifdef SIMD_SPAN_INL_H_TARGET
#undef SIMD_SPAN_INL_H_TARGET
#else
#define SIMD_SPAN_INL_H_TARGET
#endif

#include "hwy/highway.h"
#include "span.h"

#include <algorithm>
#include <utility>

// Where there is SIMD: the fallback that Highway always builds would not
// be quicker than the loop of one question at a time.
#define SIMD_SPANS (HWY_TARGET != HWY_SCALAR && HWY_TARGET != HWY_EMU128)

HWY_BEFORE_NAMESPACE();
namespace HWY_NAMESPACE::spans
{
namespace hn = hwy::HWY_NAMESPACE;
using int64s = hn::ScalableTag<int64_t>;
using doubles = hn::Rebind<double, int64s>;
using uint64s = hn::RebindToUnsigned<int64s>;

// A tool's decision, for the tool's tag: decision<Tool>{columns}(i) gives,
// for the vector of questions at i, the masks of its lanes answered yes and
// of those it decided at all, and one(j) answers question j alone. Each is
// made of the tool's columns.
template <class Tool> struct decision;

// A tool's N columns, and the vectors a decision works in.
template <size_t N> struct columns_of {
	static constexpr size_t count = N;
	static constexpr int64s di{};
	static constexpr doubles df{};
	static constexpr uint64s du{};
	const long long *const *c;

	// Column k's vector at i.
	auto at(int k, size_t i) const
	{
		return hn::LoadU(di,
		                 reinterpret_cast<const int64_t *>(c[k] + i));
	}
};

template <class Tool>
void many(size_t n, const long long *const *columns, bool *answers)
{
	const decision<Tool> decide{columns};
	const size_t lanes = hn::Lanes(int64s());
	for (size_t start = 0; start < n; start += simd::left_over::span) {
		const size_t end = std::min(n, start + simd::left_over::span);
		simd::left_over left(start);
		size_t i = start;
		for (; i + lanes <= end; i += lanes) {
			const auto masks = decide(i);
			uint8_t yes[8] = {}, decided[8] = {};
			hn::StoreMaskBits(int64s(), masks.first, yes);
			hn::StoreMaskBits(int64s(), masks.second, decided);
			left.answer(answers, i, yes, decided, lanes);
		}
		left.finish(i, end, n, columns, decision<Tool>::count);
		for (size_t k = 0; k < left.count; k++)
			answers[left[k]] = decide.one(left[k]);
	}
}

} // namespace HWY_NAMESPACE::spans
HWY_AFTER_NAMESPACE();

#endif
