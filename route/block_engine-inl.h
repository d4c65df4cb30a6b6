// The block kernel over the byte classes of 64-byte chunks: included into
// the namespace of each build, once that build has declared classify64,
// group and convert_group, so that all of it is compiled for that build's
// target. No include guard, on purpose.
//
// A region of the block is scanned first: where its words end and its
// lines end, as offsets, and the chunks' bad bytes as masks. Then each run
// of lines whose bytes are all clean and whose word counts are right is
// converted a column at a time, group rows at once as the build does it,
// straight into the columns; a word too long for the build's way, by the
// scalar way here. Any other line, and one with a word beyond 64 bits,
// goes to the careful parser, which gives the reader's own answer for it.

namespace bd = ::many::block_detail;

using bd::region;
constexpr size_t nowhere = SIZE_MAX;

BLOCK_INLINE unsigned trailing_zeros(uint64_t x)
{
	return x ? static_cast<unsigned>(__builtin_ctzll(x)) : 64;
}

// The 8 bytes at p, the first in the lowest byte on any byte order.
BLOCK_INLINE uint64_t load64(const unsigned char *p)
{
	uint64_t x;
	memcpy(&x, p, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
	x = __builtin_bswap64(x);
#endif
	return x;
}

// The offset plus the place of each set bit, in order. The first few are
// written whatever the count, past its end too, which beats a branch on
// counts that vary from chunk to chunk; the arrays have room for them.
template <int unrolled>
BLOCK_INLINE void flatten(uint16_t *out, size_t &n, uint64_t bits,
                          unsigned offset)
{
	const size_t found = static_cast<size_t>(__builtin_popcountll(bits));
	uint16_t *at = out + n;
	n += found;
#pragma GCC unroll 16
	for (int i = 0; i < unrolled; i++) {
		// The top bit changes nothing but where no bit is left, whose
		// entry is past the end: no test for zero.
		at[i] = static_cast<uint16_t>(
		    offset + static_cast<unsigned>(
		                 __builtin_ctzll(bits | uint64_t(1) << 63)));
		bits &= bits - 1;
	}
	if (__builtin_expect(found > unrolled, 0))
		for (size_t i = unrolled; i < found; i++) {
			at[i] = static_cast<uint16_t>(offset +
			                              trailing_zeros(bits));
			bits &= bits - 1;
		}
}

using bd::nowhere16;
using bd::region_scan;

// The region p..p+len, which starts a line. A word is a run of bytes other
// than blanks and newlines; a byte is bad if no number may hold it there:
// neither digit, sign, blank nor newline; a sign other than a word's first
// byte; or the byte after a sign, unless a digit.
BLOCK_INLINE void scan(const unsigned char *p, size_t len, region_scan &r)
{
	uint64_t separator_before = 1, word_before = 0, sign_before = 0;
	size_t ends = 0, newlines = 0, chunk = 0;
	// The chunk at offset, its newlines those in inside.
	const auto take = [&](const bd::chunk_masks &m, size_t offset,
	                      uint64_t inside) {
		const uint64_t separator = m.blank | m.newline,
		               word = ~separator;
		const uint64_t start =
		    word & (separator << 1 | separator_before);
		const uint64_t end = separator & (word << 1 | word_before);
		r.starts[chunk] = start;
		r.bad[chunk] = ~(m.digit | m.sign | separator) |
		               (m.sign & ~start) |
		               ((m.sign << 1 | sign_before) & ~m.digit);
		separator_before = separator >> 63;
		word_before = word >> 63;
		sign_before = m.sign >> 63;
		const unsigned at = static_cast<unsigned>(offset);
		flatten<12>(r.ends, ends, end, at);
		flatten<4>(r.newlines, newlines, m.newline & inside, at);
		chunk++;
	};
	size_t offset = 0;
	bd::chunk_masks m;
	for (; len - offset >= 64; offset += 64) {
		classify64(p + offset, m);
		take(m, offset, ~uint64_t(0));
	}
	if (offset < len) {
		// The last bytes, then newlines: a word or a sign there ends as
		// at a line's end, and none of those newlines counts.
		unsigned char tail[64];
		memset(tail, '\n', sizeof tail);
		memcpy(tail, p + offset, len - offset);
		classify64(tail, m);
		take(m, offset, (uint64_t(1) << (len - offset)) - 1);
	}
	// Ends past every newline after the last word, so that a line's
	// check needs no count of them.
	for (size_t i = 0; i <= many::block_most; i++)
		r.ends[ends + i] = nowhere16;
	r.ends_n = ends;
	r.newlines_n = newlines;
	r.chunks = chunk;
}

// The offset of the first bad byte from offset from on, or nowhere.
BLOCK_INLINE size_t first_bad(const region_scan &r, size_t from)
{
	size_t chunk = from / 64;
	if (chunk >= r.chunks)
		return nowhere;
	uint64_t m = r.bad[chunk] & ~uint64_t(0) << (from % 64);
	while (!m) {
		if (++chunk == r.chunks)
			return nowhere;
		m = r.bad[chunk];
	}
	return chunk * 64 + trailing_zeros(m);
}

// A window's mask for its last n bytes, up to 24, starts at n - 8 or n.
alignas(64) constexpr unsigned char keep_last[32] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0,    0,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// The value of 8 digits, the first in the lowest byte; a zero byte counts
// as a digit 0. Pairs, then quads, then the eight.
BLOCK_INLINE uint64_t eight(uint64_t x)
{
	x = (x & 0x0F0F0F0F0F0F0F0F) * 2561 >> 8;
	x = (x & 0x00FF00FF00FF00FF) * 6553601 >> 16;
	return (x & 0x0000FFFF0000FFFF) * 42949672960001 >> 32;
}

// The magnitude of n digits ending at end, 24 at most and all in the
// block: three windows of 8, those bytes before the digits cleared. False
// if it passes the most that negative allows.
BLOCK_INLINE bool three_eights(const unsigned char *end, size_t n,
                               bool negative, uint64_t &v)
{
	const size_t low = n < 16 ? n : 16, high = n > 8 ? n - 8 : 0;
	const uint64_t top = eight(load64(end - 24) & load64(keep_last + high));
	v = top * 10000000000000000 +
	    eight(load64(end - 16) & load64(keep_last + low)) * 100000000 +
	    eight(load64(end - 8) & load64(keep_last + low + 8));
	// 923 and more, times 10^16, pass 2^63; less never passes 2^64.
	return (top <= 922) &
	       (v <= static_cast<uint64_t>(INT64_MAX) + negative);
}

// The same for any n, as near the block's start as it may be.
inline bool any_digits(const unsigned char *end, size_t n, bool negative,
                       uint64_t &v)
{
	const unsigned char *d = end - n;
	while (end - d > 19 && *d == '0')
		d++;
	// Nineteen digits never pass 2^64.
	if (end - d > 19)
		return false;
	v = 0;
	for (; d < end; d++)
		v = v * 10 + (*d - '0');
	return v <= static_cast<uint64_t>(INT64_MAX) + negative;
}

// The word p..end, a sign or none then digits: its value, or false if it
// lies beyond 64 bits. Any other word gets some value, or false, safely.
// Long words go faster when long is said.
template <bool long_first>
BLOCK_INLINE bool word_value(const unsigned char *data, const unsigned char *p,
                             const unsigned char *end, uint64_t &out)
{
	const bool negative = *p == '-';
	const size_t n = static_cast<size_t>(end - p) - (negative || *p == '+');
	uint64_t v;
	if (long_first && n <= 24 && end - data >= 24) {
		if (!three_eights(end, n, negative, v))
			return false;
	} else if (n <= 16 && end - data >= 16) {
		// The 16 bytes up to the end, those before the digits cleared:
		// no loop a digit and no branch on the length.
		v = eight(load64(end - 16) & load64(keep_last + n)) *
		        100000000 +
		    eight(load64(end - 8) & load64(keep_last + n + 8));
	} else if (n <= 24 && end - data >= 24) {
		if (!three_eights(end, n, negative, v))
			return false;
	} else if (!any_digits(end, n, negative, v)) {
		return false;
	}
	out = negative ? 0 - v : v;
	return true;
}

// The start of the word that ends at end: the last start before it, in
// its chunk or the one before for all but the longest words; the region
// starts a line.
BLOCK_INLINE size_t start_of(const region_scan &r, size_t end)
{
	const size_t last = end - 1, chunk = last / 64;
	const uint64_t here =
	    r.starts[chunk] & ~uint64_t(0) >> (63 - last % 64);
	const uint64_t before = chunk ? r.starts[chunk - 1] : 0;
	if (__builtin_expect((here | before) != 0, 1)) {
		// Both ways, then a choice, which a branch would often miss.
		const size_t in_here =
		    chunk * 64 + 63 -
		    static_cast<size_t>(__builtin_clzll(here | 1));
		const size_t in_before =
		    chunk * 64 - 1 -
		    static_cast<size_t>(__builtin_clzll(before | 1));
		const size_t use_here = 0 - static_cast<size_t>(here != 0);
		return in_before ^ ((in_here ^ in_before) & use_here);
	}
	for (size_t k = chunk ? chunk - 1 : 0; k-- > 0;)
		if (r.starts[k])
			return k * 64 + 63 -
			       static_cast<size_t>(
			           __builtin_clzll(r.starts[k]));
	return 0;
}

// The value of the word that ends at end, by the scalar way; false if it
// lies beyond 64 bits. Long words go faster when long is said.
template <bool long_first>
BLOCK_INLINE bool scalar_word(const unsigned char *data, size_t pos,
                              const region_scan &r, size_t end, uint64_t &v)
{
	const unsigned char *const base = data + pos;
	return word_value<long_first>(data, base + start_of(r, end), base + end,
	                              v);
}

// What each build defines before this: group, how many words it converts
// at once, and convert_group, which puts in out[0..group) the values of
// the words that end at end[0..group) in the region at data + pos, each in
// a clean line. It reads no more than the 16 bytes before each end, which
// the caller has seen lie in the block, and returns a bit for each word it
// left: too long for its way, or beyond 64 bits.

// The words of a run of lines, clean and count words each, the first word
// first, into rows row.. of the columns, a column at a time. The lines
// before the first with a word beyond 64 bits, all if none.
BLOCK_INLINE size_t convert_run(const unsigned char *data, size_t pos,
                                region_scan &r, size_t first, size_t lines,
                                size_t count, long long *const *columns,
                                size_t row)
{
	size_t pending = 0;
	// A group's words left, as their rows in the column.
	auto leave = [&](size_t k, size_t i, size_t left) {
		for (; left; left &= left - 1)
			r.pending[pending++] = static_cast<uint16_t>(
			    first + k + (i + trailing_zeros(left)) * count);
	};
	// The words of one column are count apart, and go to rows side by
	// side: the column takes a group's values in one store. Ends rise
	// down a column, so that a group's first is the nearest to the
	// block's start.
	for (size_t k = 0; k < count; k++) {
		long long *const column = columns[k] + row;
		const uint16_t *const ends = r.ends + first + k;
		size_t i = 0, end[group];
		for (; i + group <= lines; i += group) {
#pragma GCC unroll 4
			for (size_t g = 0; g < group; g++)
				end[g] = ends[(i + g) * count];
			const size_t left =
			    pos + end[0] >= 16
			        ? convert_group(data, pos, r, end, column + i)
			        : (size_t(1) << group) - 1;
			if (__builtin_expect(left != 0, 0))
				leave(k, i, left);
		}
		if (i < lines) {
			// The last rows, fewer than a group: the last word
			// again in the lanes past them.
			const size_t valid = lines - i;
			long long values[group];
			for (size_t g = 0; g < group; g++)
				end[g] =
				    ends[(i + std::min(g, valid - 1)) * count];
			size_t left = (size_t(1) << valid) - 1;
			if (pos + end[0] >= 16) {
				left &=
				    convert_group(data, pos, r, end, values);
				for (size_t g = 0; g < valid; g++)
					column[i + g] = values[g];
			}
			leave(k, i, left);
		}
	}
	size_t good = lines;
	for (size_t p = 0; p < pending; p++) {
		const size_t w = r.pending[p], line = (w - first) / count;
		uint64_t v;
		if (scalar_word<true>(data, pos, r, r.ends[w], v))
			columns[(w - first) % count][row + line] =
			    static_cast<long long>(v);
		else if (line < good)
			good = line;
	}
	return good;
}

// With fixed numbers a line, or o.count if fixed is 0.
template <size_t fixed> static void run_for(bd::job &j)
{
	const unsigned char *const data = j.data;
	const size_t size = j.size, max = j.max;
	const many::block_options &o = *j.options;
	const size_t count = fixed         ? fixed
	                     : o.count > 0 ? static_cast<size_t>(o.count)
	                                   : 0;
	long long *const *const columns = j.columns;
	size_t pos = 0, rows = 0, lines = 0;
	bool stopped = false;
	region_scan &r = *j.room;

	// The line begin..end by the careful reader: false if it stops the
	// reading, which then stands at the line's start.
	auto careful = [&](size_t begin, size_t end) {
		if (bd::careful_line(data + begin, data + end,
		                     o.file_start && begin == 0, o.count,
		                     o.tool, columns, rows)) {
			rows++;
			lines++;
			return true;
		}
		if (!j.bad.note(j.bad.context, lines, begin)) {
			pos = begin;
			stopped = true;
			return false;
		}
		lines++;
		return true;
	};

	while (pos < size && rows < max) {
		const bool last = size - pos <= region;
		const size_t len = last ? size - pos : region;
		const unsigned char *const base = data + pos;
		scan(base, len, r);
		// Line k starts at begin, its first word is w, and no byte
		// before bad is bad.
		size_t w = 0, begin = 0, bad = first_bad(r, 0);
		for (size_t k = 0; k < r.newlines_n && rows < max; k++) {
			// The run of lines from k on that are clean, with
			// count words ended by each newline and the next word
			// after it.
			const size_t most = r.newlines_n - k < max - rows
			                        ? r.newlines_n - k
			                        : max - rows;
			size_t n = 0;
			for (size_t next = w; count && n < most;
			     n++, next += count) {
				const size_t nl = r.newlines[k + n];
				if (bad <= nl ||
				    r.ends[next + count - 1] > nl ||
				    r.ends[next + count] <= nl)
					break;
			}
			if (n) {
				const size_t good = convert_run(
				    data, pos, r, w, n, count, columns, rows);
				rows += good;
				lines += good;
				k += good;
				w += good * count;
				if (good)
					begin = r.newlines[k - 1] + 1;
				// The run ended at the region's last line, at
				// the rows asked for, or at line k.
				if (k == r.newlines_n || rows == max)
					break;
			}
			const size_t nl = r.newlines[k];
			if (!careful(pos + begin, pos + nl))
				goto done;
			while (r.ends[w] <= nl)
				w++;
			if (bad <= nl)
				bad = first_bad(r, nl + 1);
			begin = nl + 1;
		}
		pos += begin;
		if (rows == max)
			break;
		if (last) {
			// What follows the last newline is the file's last
			// line, or left for the next block.
			if (pos < size && o.file_end) {
				if (!careful(pos, size))
					goto done;
				pos = size;
			}
			break;
		}
		if (begin == 0) {
			// No newline in a whole region: one long line.
			const void *nl =
			    memchr(base + len, '\n', size - pos - len);
			if (!nl && !o.file_end)
				break;
			const size_t end =
			    nl ? static_cast<size_t>(
			             static_cast<const unsigned char *>(nl) -
			             data)
			       : size;
			if (!careful(pos, end))
				goto done;
			pos = nl ? end + 1 : size;
		}
	}
done:
	j.result = {rows, lines, pos, stopped};
}

// The line loop unrolled for the counts the tools take.
inline void run(bd::job &j)
{
	switch (j.options->count) {
	case 1:
		return run_for<1>(j);
	case 2:
		return run_for<2>(j);
	case 3:
		return run_for<3>(j);
	case 4:
		return run_for<4>(j);
	case 5:
		return run_for<5>(j);
	case 6:
		return run_for<6>(j);
	case 7:
		return run_for<7>(j);
	case 8:
		return run_for<8>(j);
	default:
		return run_for<0>(j);
	}
}
