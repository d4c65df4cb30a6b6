// The block reader: the careful reader for the lines it leaves, a portable
// build, the SIMD builds that Highway makes of the kernel, and the run-time
// choice among them.
#include "block.h"
#include "block_kernel.h"
#include "dispatch.h"
#include "reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if ORVANE_QUESSEL_SIMD
#define HWY_TARGET_INCLUDE "block-inl.h"
#include "hwy/foreach_target.h" // IWYU pragma: keep
#include "hwy/highway.h"
// foreach_target.h built every target but the static one, which is this.
#include "block-inl.h"
#endif

namespace many
{
namespace block_detail
{

bool careful_line(const unsigned char *begin, const unsigned char *end,
                  bool file_start, int count, const char *tool,
                  long long *const *columns, size_t row)
{
	long long *at[block_most];
	for (int k = 0; k < count && k < block_most; k++)
		at[k] = columns[k] + row;
	reader line(reinterpret_cast<const char *>(begin),
	            reinterpret_cast<const char *>(end), file_start, count,
	            tool);
	return line.read(at, 1) == 1;
}

} // namespace block_detail

void why_not(const char *begin, const char *end, bool first, int count,
             const char *tool, char *why)
{
	long long numbers[block_most], *at[block_most];
	for (int k = 0; k < block_most; k++)
		at[k] = numbers + k;
	reader line(begin, end, first, count, tool);
	line.read(at, 1);
	strcpy(why, line.why());
}

} // namespace many

// The build for any processor: the same kernel over classes found a byte
// at a time.
namespace block_batch
{
namespace portable
{

BLOCK_INLINE void classify64(const unsigned char *p,
                             ::many::block_detail::chunk_masks &m);

constexpr size_t group = 1;

BLOCK_INLINE size_t convert_group(const unsigned char *data, size_t pos,
                                  const ::many::block_detail::region_scan &r,
                                  const size_t *end, long long *out);

#include "block_engine-inl.h"

// The top bit of each byte of x that equals the byte in c's every byte:
// adding 0x7F to a byte's low bits reaches its top bit unless all are
// zero, and never carries into the next byte.
BLOCK_INLINE uint64_t equal(uint64_t x, uint64_t c)
{
	const uint64_t tops = 0x8080808080808080, t = x ^ c;
	return ~(((t & ~tops) + ~tops) | t) & tops;
}

// The top bits of the 8 bytes as the 8 bits of a byte, the first lowest.
BLOCK_INLINE uint64_t gather(uint64_t tops)
{
	return tops * 0x0002040810204081 >> 56;
}

// Bit i of each class for byte i of p..p+64, eight bytes at a time.
BLOCK_INLINE void classify64(const unsigned char *p,
                             ::many::block_detail::chunk_masks &m)
{
	const uint64_t each = 0x0101010101010101, tops = 0x8080808080808080;
	uint64_t digit = 0, sign = 0, blank = 0, line = 0;
	for (unsigned i = 0; i < 64; i += 8) {
		const uint64_t x = load64(p + i), low = x & ~tops;
		// As in the reader: 0x50 or 0x46 plus the low bits carry
		// into the top bit exactly at '0' and past '9'.
		const uint64_t digits =
		    (low + 0x50 * each) & ~(low + 0x46 * each) & ~x & tops;
		digit |= gather(digits) << i;
		sign |= gather(equal(x, '+' * each) | equal(x, '-' * each))
		        << i;
		blank |= gather(equal(x, ' ' * each) | equal(x, '\t' * each))
		         << i;
		line |= gather(equal(x, '\n' * each)) << i;
	}
	m = {digit, sign, blank, line};
}

// Each word on its own: the scalar way is this build's way.
BLOCK_INLINE size_t convert_group(const unsigned char *data, size_t pos,
                                  const region_scan &r, const size_t *end,
                                  long long *out)
{
	uint64_t v;
	if (!scalar_word<false>(data, pos, r, end[0], v))
		return 1;
	out[0] = static_cast<long long>(v);
	return 0;
}

} // namespace portable
} // namespace block_batch

namespace
{

using kernel = many::block_detail::kernel;

void each(many::block_detail::job &j)
{
	block_batch::portable::run(j);
}

constexpr simd::build<kernel> builds[] = {
#if ORVANE_QUESSEL_SIMD
    SIMD_TARGET_BUILDS(block_batch::many),
#endif
    {"each", simd::needs::nothing, each},
};

simd::dispatch<kernel, sizeof builds / sizeof *builds> chosen(builds);

} // namespace

namespace many
{

block_room *new_block_room()
{
	return static_cast<block_room *>(malloc(sizeof(block_room)));
}

void free_block_room(block_room *room)
{
	free(room);
}

block_result read_block(const char *data, size_t size,
                        const block_options &options, long long *const *columns,
                        size_t max, bad_lines bad, block_room *room)
{
	block_detail::job j = {reinterpret_cast<const unsigned char *>(data),
	                       size,
	                       &options,
	                       columns,
	                       max,
	                       bad,
	                       room,
	                       {}};
	chosen.kernel()(j);
	return j.result;
}

const char *block_build(size_t i)
{
	return chosen.name(i);
}

const char *block_pin(const char *name)
{
	return chosen.pin(name);
}

} // namespace many
