// What every target's span loop (span-inl.h) shares: the answers of a
// vector stored, and the questions a span leaves to the one-question
// predicate noted, to be answered after it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace simd
{

// Lane j's bit of bits, as Highway stores a mask, to out[j] as a bool, for
// up to 8 lanes: byte j of the spread picks bit j, then is made 0 or 1
// (on a little-endian target, where byte j is stored j-th).
inline void store_bits(bool *out, const unsigned char *bits, size_t lanes)
{
	uint64_t x = bits[0] * 0x0101010101010101ULL & 0x8040201008040201ULL;
	x = (((x & 0x7F7F7F7F7F7F7F7FULL) + 0x7F7F7F7F7F7F7F7FULL) | x) >> 7 &
	    0x0101010101010101ULL;
	memcpy(out, &x, lanes);
}

// How many questions the kernels have left to the one-question predicates,
// all told: the tests hold the filters to deciding a scattered mix, since
// a filter that decided nothing would still give every answer right. Added
// to only by a span that leaves any.
inline std::atomic<unsigned long long> left_total{0};

// The questions of a span that a kernel leaves to the one-question
// predicate, to be answered after the span in a loop of their own: a
// branch out of the vector loop for each would cost more than the
// predicate itself. Each is kept by its place in the span, which a count
// of questions of any size leaves small.
struct left_over {
	static constexpr size_t span = 256;
	const size_t start;
	uint16_t at[span];
	size_t count = 0;
	static_assert(span - 1 <= UINT16_MAX);

	explicit left_over(size_t first) : start(first), at{}
	{
	}

	// The k-th question left, by its place among all.
	size_t operator[](size_t k) const
	{
		return start + at[k];
	}

	// The vector at i, of up to 8 lanes: answers as yes has them, as
	// Highway stores a mask's bits, and each lane whose bit in decided is
	// clear noted, without a branch a lane, which scattered questions
	// would mispredict.
	void answer(bool *answers, size_t i, const unsigned char *yes,
	            const unsigned char *decided, size_t lanes)
	{
		store_bits(answers + i, yes, lanes);
		if (decided[0] == (1u << lanes) - 1)
			return;
		for (size_t j = 0; j < lanes; j++) {
			at[count] = static_cast<uint16_t>(i - start + j);
			count += !(decided[0] >> j & 1);
		}
	}

	// The questions from i to end, shorter than a vector, noted too; and,
	// where any are noted, the next span of each column asked into the
	// cache: while the one-question predicate answers them, no load runs
	// ahead for the hardware to follow.
	void finish(size_t i, size_t end, size_t n,
	            const long long *const *columns, size_t count_of_columns)
	{
		for (; i < end; i++)
			at[count++] = static_cast<uint16_t>(i - start);
		size_t to = end + span < n ? end + span : n;
		if (!count)
			return;
		left_total.fetch_add(count, std::memory_order_relaxed);
		for (size_t c = 0; c < count_of_columns; c++)
			for (size_t k = end; k < to;
			     k += 64 / sizeof(long long))
				__builtin_prefetch(columns[c] + k);
	}
};

} // namespace simd
