// The run-time choice among the builds of a batch function's kernel: each
// library builds its kernel once for every target named below that this
// compiler and architecture allow, and the first call takes the best one
// the processor runs. Tests and benchmarks may pin another through the
// functions declared at the end.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace simd
{

#if defined(__x86_64__)
// What each of Highway's x86 targets is built with, as its target
// attributes name them, and the system's saving of the registers it uses.
struct x86_features {
	bool sse4, avx2, avx512;
};

inline x86_features x86()
{
	unsigned a, b, c, d, b7 = 0, c7, d7;
	if (!__get_cpuid(1, &a, &b, &c, &d))
		return {false, false, false};
	unsigned long long xcr0 = 0;
	if (c & bit_OSXSAVE) {
		unsigned lo, hi;
		__asm__("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
		xcr0 = static_cast<unsigned long long>(hi) << 32 | lo;
	}
	bool sse4 = (d & bit_SSE2) && (c & bit_SSSE3) && (c & bit_SSE4_1) &&
	            (c & bit_SSE4_2) && (c & bit_PCLMUL) && (c & bit_AES);
	if (__get_cpuid_max(0, nullptr) >= 7)
		__cpuid_count(7, 0, a, b7, c7, d7);
	// XCR0: the SSE and AVX halves; then AVX-512's mask and upper
	// registers.
	bool avx2 = sse4 && (c & bit_AVX) && (c & bit_FMA) && (c & bit_F16C) &&
	            (b7 & bit_AVX2) && (b7 & bit_BMI) && (b7 & bit_BMI2) &&
	            (xcr0 & 0x6) == 0x6;
	bool avx512 = avx2 && (b7 & bit_AVX512F) && (b7 & bit_AVX512VL) &&
	              (b7 & bit_AVX512DQ) && (b7 & bit_AVX512BW) &&
	              (xcr0 & 0xE0) == 0xE0;
	return {sse4, avx2, avx512};
}
#endif

inline bool always()
{
	return true;
}

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

	explicit left_over(size_t first) : start(first)
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
	            std::initializer_list<const long long *> columns)
	{
		for (; i < end; i++)
			at[count++] = static_cast<uint16_t>(i - start);
		size_t to = end + span < n ? end + span : n;
		if (!count)
			return;
		left_total.fetch_add(count, std::memory_order_relaxed);
		for (const long long *column : columns)
			for (size_t k = end; k < to; k += 64 / sizeof *column)
				__builtin_prefetch(column + k);
	}
};

// A build of a kernel K: its target's name, and whether this processor
// runs it.
template <typename K> struct build {
	const char *name;
	bool (*runs)();
	K kernel;
};

// The builds of one kernel, best first, the last one that every processor
// runs; the chosen one is kept once found.
template <typename K, size_t N> class dispatch
{
      public:
	explicit constexpr dispatch(const build<K> (&builds)[N])
	    : builds_(builds)
	{
	}

	K kernel()
	{
		K k = chosen_.load(std::memory_order_relaxed);
		if (!k) {
			k = find(nullptr)->kernel;
			chosen_.store(k, std::memory_order_relaxed);
		}
		return k;
	}

	// The build named, if it is here and this processor runs it, is used
	// from now on; its name, or null. The best build for a null name.
	const char *pin(const char *name)
	{
		const build<K> *b = find(name);
		if (!b)
			return nullptr;
		chosen_.store(b->kernel, std::memory_order_relaxed);
		return b->name;
	}

	// The name of the i-th build, best first, that this processor runs;
	// null past the last.
	const char *name(size_t i) const
	{
		for (const build<K> &b : builds_)
			if (b.runs() && i-- == 0)
				return b.name;
		return nullptr;
	}

      private:
	const build<K> *find(const char *name) const
	{
		for (const build<K> &b : builds_)
			if ((!name || !strcmp(name, b.name)) && b.runs())
				return &b;
		return nullptr;
	}

	const build<K> (&builds_)[N];
	std::atomic<K> chosen_{nullptr};
};

} // namespace simd

// For the tests and benchmarks: the builds of each batch function that
// this processor runs, and the one it uses, pinned by name.
extern "C" {
const char *orvane_many_build(size_t i);
const char *orvane_many_pin(const char *name);
const char *quessel_many_build(size_t i);
const char *quessel_many_pin(const char *name);
}
