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

// A word a 16-byte block of the vector.
constexpr size_t group = hn::MaxLanes(hn::ScalableTag<uint8_t>()) / 16;
static_assert(group >= 1 && group <= 4, "a word a 16-byte block");

BLOCK_INLINE size_t convert_group(const unsigned char *data, size_t pos,
                                  const ::many::block_detail::region_scan &r,
                                  const size_t *end, long long *out);

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

#if HWY_TARGET == HWY_AVX3 && !BLOCK_HIGHWAY_ONLY

// Four words, each window back to front: a word is then the bytes below
// its block's lowest separator, which a subtraction finds for all four
// blocks at once in their 64 bits of mask. A mark on each block's last byte
// keeps the subtraction within the block when it holds no separator, which
// leaves its first byte out; such a word may be longer, and is left.
BLOCK_INLINE size_t convert_group(const unsigned char *data, size_t pos,
                                  const region_scan &, const size_t *end,
                                  long long *out)
{
	const auto at = [&](size_t g) {
		return _mm_loadu_si128(reinterpret_cast<const __m128i *>(
		    data + (pos + end[g] - 16)));
	};
	__m512i v = _mm512_castsi128_si512(at(0));
	v = _mm512_inserti32x4(v, at(1), 1);
	v = _mm512_inserti32x4(v, at(2), 2);
	v = _mm512_inserti32x4(v, at(3), 3);
	v = _mm512_shuffle_epi8(
	    v, _mm512_broadcast_i32x4(_mm_setr_epi8(
	           15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)));
	const uint64_t lows = 0x0001000100010001, tops = 0x8000800080008000;
	const uint64_t separators =
	    _mm512_cmple_epu8_mask(v, _mm512_set1_epi8(' '));
	const uint64_t marked = separators | tops;
	const uint64_t word = (marked - lows) & ~marked;
	// Byte j of a block is worth 10^j; a sign's byte, 0.
	const __m512i digits =
	    _mm512_maskz_subs_epu8(word, v, _mm512_set1_epi8('0'));
	const __m512i pairs =
	    _mm512_maddubs_epi16(digits, _mm512_set1_epi16(0x0A01));
	const __m512i fours =
	    _mm512_madd_epi16(pairs, _mm512_set1_epi32(0x00640001));
	// The low eight digits' value and the high eight's, twice a block.
	const __m512i eights = _mm512_madd_epi16(
	    _mm512_packus_epi32(fours, fours), _mm512_set1_epi32(0x27100001));
	const __m512i magnitude = _mm512_add_epi64(
	    _mm512_and_si512(eights, _mm512_set1_epi64(0xFFFFFFFF)),
	    _mm512_mul_epu32(_mm512_srli_epi64(eights, 32),
	                     _mm512_set1_epi64(100000000)));
	const __m256i packed = _mm512_castsi512_si256(_mm512_permutexvar_epi64(
	    _mm512_setr_epi64(0, 2, 4, 6, 0, 2, 4, 6), magnitude));
	// A '-' in a word sets its block's top bit: the word leaves it out,
	// so that adding 0x7FFF carries into it alone.
	const uint64_t minus =
	    _mm512_mask_cmpeq_epi8_mask(word, v, _mm512_set1_epi8('-'));
	const __mmask8 negative =
	    static_cast<__mmask8>(_pext_u64(minus + (tops - lows), tops));
	_mm256_storeu_si256(reinterpret_cast<__m256i *>(out),
	                    _mm256_mask_sub_epi64(packed, negative,
	                                          _mm256_setzero_si256(),
	                                          packed));
	// A block with no separator: rare, so that a branch is cheaper.
	if (__builtin_expect(((separators - lows) & ~separators & tops) == 0,
	                     1))
		return 0;
	size_t left = 0;
	for (size_t g = 0; g < 4; g++)
		left |= size_t((separators >> 16 * g & 0xFFFF) == 0) << g;
	return left;
}

#else

// A word a 16-byte block, as many as a vector holds: the 16 bytes up to
// its end, those up to its last blank or newline cleared, then digits
// paired up in ever wider lanes, each block's two halves joined, and the
// sign applied. A word that fills its window, which may be longer, is left
// to the scalar way.
BLOCK_INLINE size_t convert_group(const unsigned char *data, size_t pos,
                                  const region_scan &, const size_t *end,
                                  long long *out)
{
	const hn::ScalableTag<uint8_t> d8;
	const hn::Repartition<uint64_t, decltype(d8)> d64;
	const unsigned char *window[group];
	for (size_t g = 0; g < group; g++)
		window[g] = data + (pos + end[g] - 16);
	const auto bytes = windows(d8, window);
	// A byte at or below ' ' on any side of a word in a clean line is a
	// blank or a newline: ones from the last of them down to the
	// block's start, then the word alone.
	auto before = hn::VecFromMask(d8, hn::Lt(bytes, hn::Set(d8, ' ' + 1)));
	before = hn::Or(before, hn::ShiftRightBytes<1>(d8, before));
	before = hn::Or(before, hn::ShiftRightBytes<2>(d8, before));
	before = hn::Or(before, hn::ShiftRightBytes<4>(d8, before));
	before = hn::Or(before, hn::ShiftRightBytes<8>(d8, before));
	const auto word = hn::AndNot(before, bytes);
	// The sign's byte is below '0', and the cleared ones are 0.
	const auto magnitude =
	    sixteen(d8, hn::SaturatedSub(word, hn::Set(d8, '0')));
	// A '-' anywhere in a block, seen in the half that holds its value.
	auto minus = hn::VecFromMask(d8, hn::Eq(word, hn::Set(d8, '-')));
	minus = hn::Or(minus, hn::ShiftRightBytes<8>(d8, minus));
	const auto value =
	    hn::IfThenElse(hn::Ne(hn::BitCast(d64, minus), hn::Zero(d64)),
	                   hn::Sub(hn::Zero(d64), magnitude), magnitude);
	if constexpr (group == 1) {
		out[0] = static_cast<long long>(hn::GetLane(value));
	} else {
		const hn::Half<decltype(d64)> half;
		hn::StoreU(
		    hn::LowerHalf(half, hn::ConcatEven(d64, value, value)),
		    half, reinterpret_cast<uint64_t *>(out));
	}
	// A block whose first byte is not cleared holds no separator: rare,
	// so that a branch is cheaper.
	alignas(16) static constexpr uint64_t first_half[2] = {0, ~0ull};
	const auto filled = hn::Eq(
	    hn::Or(hn::BitCast(d64, before), hn::LoadDup128(d64, first_half)),
	    hn::Zero(d64));
	if (__builtin_expect(hn::AllFalse(d64, filled), 1))
		return 0;
	uint8_t bits[8];
	hn::StoreMaskBits(d64, filled, bits);
	size_t left = 0;
	for (size_t g = 0; g < group; g++)
		left |= size_t(bits[0] >> 2 * g & 1) << g;
	return left;
}

#endif

void many(::many::block_detail::job &j)
{
	run(j);
}

} // namespace HWY_NAMESPACE::block_batch
HWY_AFTER_NAMESPACE();

#endif
#endif
