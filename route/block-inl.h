// The block kernel for one SIMD target, which Highway includes once for
// each: the byte classes of a chunk from vector compares, the engine shared
// with the portable build, and the conversion of as many words at once as
// the vector has 16-byte blocks.
#include "block_kernel.h"

#if defined(BLOCK_KERNEL_INL_H_TARGET) == defined(HWY_TARGET_TOGGLE)
#ifdef BLOCK_KERNEL_INL_H_TARGET
#undef BLOCK_KERNEL_INL_H_TARGET
#else
#define BLOCK_KERNEL_INL_H_TARGET
#endif

#include "hwy/highway.h"

// Set, the x86 builds take the way written for every target, which the
// tests then cover here too.
#ifndef BLOCK_HIGHWAY_ONLY
#define BLOCK_HIGHWAY_ONLY 0
#endif

// No build is made for a target without 16-byte vectors, which the portable
// build stands in for.
#if HWY_TARGET != HWY_SCALAR && HWY_TARGET != HWY_EMU128

HWY_BEFORE_NAMESPACE();
namespace HWY_NAMESPACE::block_batch
{
namespace hn = hwy::HWY_NAMESPACE;

BLOCK_INLINE void classify64(const unsigned char *p,
                             ::many::block_detail::chunk_masks &m);

#include "block_engine-inl.h"

// Bit i of each class for byte i of p..p+64, a vector at a time; at most 64
// lanes, whatever the target's width.
BLOCK_INLINE void classify64(const unsigned char *p,
                             ::many::block_detail::chunk_masks &m)
{
	const hn::CappedTag<uint8_t, 64> d;
	const size_t lanes = hn::Lanes(d);
	const auto zero = hn::Set(d, '0'), ten = hn::Set(d, 10),
	           space = hn::Set(d, ' '), tab = hn::Set(d, '\t'),
	           newline = hn::Set(d, '\n'), plus = hn::Set(d, '+'),
	           minus = hn::Set(d, '-');
	// StoreMaskBits may write 8 bytes from any place it is given.
	alignas(8) uint8_t digit[16], sign[16], blank[16], line[16];
	for (size_t i = 0; i < 64; i += lanes) {
		const auto v = hn::LoadU(d, p + i);
		hn::StoreMaskBits(d, hn::Lt(hn::Sub(v, zero), ten),
		                  digit + i / 8);
		hn::StoreMaskBits(d, hn::Or(hn::Eq(v, plus), hn::Eq(v, minus)),
		                  sign + i / 8);
		hn::StoreMaskBits(d, hn::Or(hn::Eq(v, space), hn::Eq(v, tab)),
		                  blank + i / 8);
		hn::StoreMaskBits(d, hn::Eq(v, newline), line + i / 8);
	}
	m.digit = load64(digit);
	m.sign = load64(sign);
	m.blank = load64(blank);
	m.newline = load64(line);
}

// The 16 bytes at each of at[0..], side by side in one vector.
template <class D>
HWY_INLINE hn::VFromD<D> windows(D d, const unsigned char *const *at)
{
	if constexpr (hn::MaxLanes(D()) <= 16) {
		return hn::LoadU(d, at[0]);
	} else {
		const hn::Half<D> half;
		return hn::Combine(d,
		                   windows(half, at + hn::MaxLanes(half) / 16),
		                   windows(half, at));
	}
}

// The value of each 16-byte block's digits, a byte each from 0 to 9 and
// the first the highest, in the block's first 64-bit lane (and its
// second): pairs, fours, eights, then the two eights joined.
template <class D>
HWY_INLINE hn::VFromD<hn::Repartition<uint64_t, D>> sixteen(D d8,
                                                            hn::VFromD<D> v)
{
	const hn::Repartition<uint16_t, D> d16;
	const hn::Repartition<uint32_t, D> d32;
	const hn::Repartition<uint64_t, D> d64;
	(void)d8;
	(void)d16;
#if (HWY_TARGET == HWY_AVX3 || HWY_TARGET == HWY_AVX2 ||                       \
     HWY_TARGET == HWY_SSE4) &&                                                \
    !BLOCK_HIGHWAY_ONLY
	// x86's multiply-and-add of adjacent lanes, which Highway 1.0.3 does
	// not offer, does the pairs, fours and eights in one step each; the
	// eights come twice in each block, packed to 16 bits for the last.
#if HWY_TARGET == HWY_AVX3
	const __m512i pairs =
	    _mm512_maddubs_epi16(v.raw, _mm512_set1_epi16(0x010A));
	const __m512i fours =
	    _mm512_madd_epi16(pairs, _mm512_set1_epi32(0x00010064));
	const __m512i eights = _mm512_madd_epi16(
	    _mm512_packus_epi32(fours, fours), _mm512_set1_epi32(0x00012710));
#elif HWY_TARGET == HWY_AVX2
	const __m256i pairs =
	    _mm256_maddubs_epi16(v.raw, _mm256_set1_epi16(0x010A));
	const __m256i fours =
	    _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00010064));
	const __m256i eights = _mm256_madd_epi16(
	    _mm256_packus_epi32(fours, fours), _mm256_set1_epi32(0x00012710));
#else
	const __m128i pairs = _mm_maddubs_epi16(v.raw, _mm_set1_epi16(0x010A));
	const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00010064));
	const __m128i eights = _mm_madd_epi16(_mm_packus_epi32(fours, fours),
	                                      _mm_set1_epi32(0x00012710));
#endif
	const auto both = hn::VFromD<decltype(d32)>{eights};
	return hn::Add(hn::MulEven(both, hn::Set(d32, 100000000)),
	               hn::ShiftRight<32>(hn::BitCast(d64, both)));
#else
	alignas(16) static constexpr uint32_t join[4] = {100000000, 0, 1, 0};
	const auto digits = hn::BitCast(d16, v);
	const auto pairs = hn::Add(
	    hn::Mul(hn::And(digits, hn::Set(d16, 0xFF)), hn::Set(d16, 10)),
	    hn::ShiftRight<8>(digits));
	// 100 in the low half of each 32-bit lane, 1 in the high.
	const auto scaled = hn::BitCast(
	    d32, hn::Mul(pairs, hn::BitCast(d16, hn::Set(d32, 0x00010064))));
	const auto fours = hn::Add(hn::And(scaled, hn::Set(d32, 0xFFFF)),
	                           hn::ShiftRight<16>(scaled));
	const auto eights =
	    hn::Add(hn::MulEven(fours, hn::Set(d32, 10000)),
	            hn::ShiftRight<32>(hn::BitCast(d64, fours)));
	const auto halves =
	    hn::MulEven(hn::BitCast(d32, eights), hn::LoadDup128(d32, join));
	return hn::Add(halves, hn::Shuffle01(halves));
#endif
}

// A word a 16-byte block, as many as a vector holds: the 16 bytes up to
// its end, those up to its last blank or newline cleared, then digits
// paired up in ever wider lanes, each block's two halves joined, and the
// sign applied. A word that fills its window, which may be longer, or too
// near the block's start for one, is left to the scalar way.
BLOCK_INLINE void convert(const unsigned char *data, size_t pos, region_scan &r)
{
	const hn::ScalableTag<uint8_t> d8;
	const hn::Repartition<uint64_t, decltype(d8)> d64;
	constexpr size_t group = hn::MaxLanes(decltype(d8)()) / 16;
	static_assert(group >= 1 && group <= 4, "a word a 16-byte block");
	alignas(16) static constexpr uint8_t later[16] = {
	    0,   255, 255, 255, 255, 255, 255, 255,
	    255, 255, 255, 255, 255, 255, 255, 255};
	const auto after_separators = hn::Set(d8, ' ' + 1),
	           ascii_zero = hn::Set(d8, '0'), minus = hn::Set(d8, '-');
	const auto none8 = hn::Zero(d8),
	           later_bytes = hn::LoadDup128(d8, later);
	const auto none64 = hn::Zero(d64);

	const unsigned char *const base = data + pos;
	const size_t words = r.ends_n;
	size_t w = 0, failures = 0, pending = 0;
	while (w < words && pos + r.ends[w] < 16)
		convert_one<false>(data, pos, r, w++, failures);
	for (; w + group <= words; w += group) {
		const unsigned char *window[group];
#pragma GCC unroll 4
		for (size_t i = 0; i < group; i++)
			window[i] = base + r.ends[w + i] - 16;
		const auto bytes = windows(d8, window);
		// A byte at or below ' ' on any side of a word in a clean
		// line is a blank or a newline: ones from the last of them
		// down to the block's start, then the word alone.
		auto before =
		    hn::VecFromMask(d8, hn::Lt(bytes, after_separators));
		before = hn::Or(before, hn::ShiftRightBytes<1>(d8, before));
		before = hn::Or(before, hn::ShiftRightBytes<2>(d8, before));
		before = hn::Or(before, hn::ShiftRightBytes<4>(d8, before));
		before = hn::Or(before, hn::ShiftRightBytes<8>(d8, before));
		const auto word = hn::AndNot(before, bytes);
		// The sign's byte is below '0', and the cleared ones are 0.
		const auto magnitude =
		    sixteen(d8, hn::SaturatedSub(word, ascii_zero));
		// All ones in a block whose word has a '-'.
		const auto signs =
		    hn::SumsOf8(hn::VecFromMask(d8, hn::Eq(word, minus)));
		const auto negative = hn::VecFromMask(
		    d64, hn::Ne(hn::Or(signs, hn::Shuffle01(signs)), none64));
		hn::StoreU(hn::Sub(hn::Xor(magnitude, negative), negative), d64,
		           r.values + 2 * w);
		// A block with no separator: its first byte is not cleared.
		// Noted without a branch, which would miss often: one in
		// twenty words or so is that long.
		uint8_t bits[8];
		hn::StoreMaskBits(
		    d8, hn::Eq(hn::Or(before, later_bytes), none8), bits);
		// Only the bytes stored, which a load then takes straight
		// from the store; bits 0, 16, 32 and 48 to bits 45 to 48, and
		// no carry.
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
		uint64_t first_bytes = 0;
		memcpy(&first_bytes, bits, 2 * group);
		const uint64_t filled =
		    first_bytes * 0x0000200040008001 >> 45 & 15;
#else
		uint64_t filled = 0;
		for (size_t i = 0; i < group; i++)
			filled |= (bits[2 * i] & 1u) << i;
#endif
		r.pending[pending] = static_cast<uint32_t>(w << 4 | filled);
		pending += filled != 0;
	}
	for (size_t k = 0; k < pending; k++) {
		const size_t first = r.pending[k] >> 4;
		for (uint32_t bits = r.pending[k] & 15; bits; bits &= bits - 1)
			finish_long(
			    data, pos, r,
			    first + static_cast<size_t>(__builtin_ctz(bits)),
			    failures);
	}
	// Fewer than a vector's worth left.
	for (; w < words; w++)
		convert_one<false>(data, pos, r, w, failures);
	r.failed[failures] = nowhere16;
}

void many(::many::block_detail::job &j)
{
	run(j);
}

} // namespace HWY_NAMESPACE::block_batch
HWY_AFTER_NAMESPACE();

#endif
#endif
