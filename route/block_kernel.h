// What the builds of the block kernel share: the job handed to them, the
// byte classes of a 64-byte chunk, and the careful line parser that every
// build falls back to, compiled once.
#pragma once

#include "block.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// Forced inline in each build's kernel, whatever the compiler weighs.
#define BLOCK_INLINE inline __attribute__((always_inline))

namespace many
{
namespace block_detail
{

// Offsets within a region fit 16 bits; a line longer than a region goes to
// the careful parser whole. Small enough that what a region's lines need
// stays in the first-level cache.
constexpr size_t region = 4096;

// Words are two bytes apart at least; newlines may be one. Past the last
// entry: room for what flatten writes beyond it, and for the ends that no
// newline reaches, which a line's check may look at.
constexpr size_t most_words = region / 2 + 1, slack = 72;

// What a region's scan finds, for each build to work in.
struct region_scan {
	// Where each word ends: the blank or newline after it.
	uint16_t ends[most_words + slack];
	uint16_t newlines[region + slack];
	// Each chunk's bad bytes, and the first bytes of its words.
	uint64_t bad[region / 64], starts[region / 64];
	size_t ends_n, newlines_n, chunks;
	// Words of a run of lines that a build left to the scalar way.
	uint16_t pending[most_words];
};

constexpr uint16_t nowhere16 = UINT16_MAX;

struct job {
	const unsigned char *data;
	size_t size;
	const block_options *options;
	long long *const *columns;
	size_t max;
	bad_lines bad;
	region_scan *room;
	block_result result;
};

using kernel = void (*)(job &);

// Bit i for byte i of a chunk.
struct chunk_masks {
	uint64_t digit, sign, blank, newline;
};

// The line begin..end (its newline, or the file's end, excluded), read by
// the careful reader: true with its numbers in columns[k][row]. file_start:
// begin is the file's first byte.
bool careful_line(const unsigned char *begin, const unsigned char *end,
                  bool file_start, int count, const char *tool,
                  long long *const *columns, size_t row);

} // namespace block_detail
} // namespace many
