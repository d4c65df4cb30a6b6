// The run-time choice among the builds of a batch function's kernel: each
// library builds its kernel once for every target that this compiler and
// architecture allow, and the first call takes the best one the processor
// runs. The choice is a function of what the processor says of itself
// alone, so that a table can hold it for processors other than this one.
// Tests and benchmarks may pin another build through the functions
// declared at the end.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace simd
{

// What a build needs of the processor, each x86 level with every one below
// it: Highway's targets, with what their target attributes name.
namespace needs
{
constexpr unsigned nothing = 0, sse4 = 1, avx2 = 2, avx512 = 4;
}

// What an x86 processor says of itself: cpuid leaf 1's ecx and edx, leaf
// 7's ebx, and XCR0, the registers the system saves on a switch.
struct cpu {
	uint32_t leaf1_ecx, leaf1_edx, leaf7_ebx;
	uint64_t xcr0;
};

// The needs of Highway's x86 targets that a processor meets.
constexpr unsigned x86_runs(const cpu &c)
{
	auto has = [](uint64_t word, uint64_t bits) {
		return (word & bits) == bits;
	};
	// Bits by their place in Intel's manual, which <cpuid.h> names only
	// on x86. XCR0 is there to read only once the system enables xgetbv.
	const uint64_t xcr0 = has(c.leaf1_ecx, 1u << 27) ? c.xcr0 : 0;
	const bool sse4 =
	    has(c.leaf1_edx, 1u << 26) && // SSE2
	    has(c.leaf1_ecx, 1u << 9 | 1u << 19 | 1u << 20 | 1u << 1 |
	                         1u << 25); // SSSE3, SSE4.1, 4.2, PCLMUL, AES
	// Then the AVX state saved, and AVX-512's mask and upper registers.
	const bool avx2 =
	    sse4 &&
	    has(c.leaf1_ecx, 1u << 28 | 1u << 12 | 1u << 29) && // AVX FMA F16C
	    has(c.leaf7_ebx, 1u << 5 | 1u << 3 | 1u << 8) &&    // AVX2 BMI BMI2
	    has(xcr0, 0x6);
	const bool avx512 =
	    avx2 &&
	    has(c.leaf7_ebx,
	        1u << 16 | 1u << 31 | 1u << 17 | 1u << 30) && // F VL DQ BW
	    has(xcr0, 0xE0);
	return (sse4 ? needs::sse4 : 0) | (avx2 ? needs::avx2 : 0) |
	       (avx512 ? needs::avx512 : 0);
}

// The needs this processor meets.
inline unsigned runs_here()
{
#if defined(__x86_64__)
	cpu c = {};
	unsigned a, b, d;
	if (!__get_cpuid(1, &a, &b, &c.leaf1_ecx, &c.leaf1_edx))
		return needs::nothing;
	if (__get_cpuid_max(0, nullptr) >= 7)
		__cpuid_count(7, 0, a, c.leaf7_ebx, b, d);
	if (c.leaf1_ecx & bit_OSXSAVE) {
		unsigned lo, hi;
		__asm__("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
		c.xcr0 = static_cast<uint64_t>(hi) << 32 | lo;
	}
	return x86_runs(c);
#else
	return needs::nothing;
#endif
}

// A build of a kernel K: its target's name, and what it needs.
template <typename K> struct build {
	const char *name;
	unsigned needs;
	K kernel;
};

// The first of the builds, best first, that is here, whose needs a
// processor meeting runs meets, and named name, or any for a null name;
// null if none is.
template <typename K, size_t N>
const build<K> *choose(const build<K> (&builds)[N], unsigned runs,
                       const char *name)
{
	for (const build<K> &b : builds)
		if (b.kernel && (b.needs & ~runs) == 0 &&
		    (!name || !strcmp(name, b.name)))
			return &b;
	return nullptr;
}

// The builds that Highway makes of a kernel F, for a table of builds, best
// first: each null where Highway built none. For a source that has
// included hwy/foreach_target.h with the kernel's -inl.h.
// clang-format off
#define SIMD_TARGET_BUILDS(F)                                  \
	{"avx512", simd::needs::avx512, HWY_CHOOSE_AVX3(F)},   \
	{"avx2", simd::needs::avx2, HWY_CHOOSE_AVX2(F)},       \
	{"sse4", simd::needs::sse4, HWY_CHOOSE_SSE4(F)},       \
	{"neon", simd::needs::nothing, HWY_CHOOSE_NEON(F)}
// clang-format on

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
			k = choose(builds_, runs_here(), nullptr)->kernel;
			chosen_.store(k, std::memory_order_relaxed);
		}
		return k;
	}

	// The build named, if it is here and this processor runs it, is used
	// from now on; its name, or null. The best build for a null name.
	const char *pin(const char *name)
	{
		const build<K> *b = choose(builds_, runs_here(), name);
		if (!b)
			return nullptr;
		chosen_.store(b->kernel, std::memory_order_relaxed);
		return b->name;
	}

	// The name of the i-th build, best first, that this processor runs;
	// null past the last.
	const char *name(size_t i) const
	{
		unsigned runs = runs_here();
		for (const build<K> &b : builds_)
			if (b.kernel && (b.needs & ~runs) == 0 && i-- == 0)
				return b.name;
		return nullptr;
	}

      private:
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
