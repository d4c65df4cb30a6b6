// Questions from a block of whole lines in memory, with the rules and the
// messages of the careful reader (reader.h), several times as fast: the
// bytes classified 64 at a time over SIMD lanes, the words converted a
// vector of them at a time, and every line that is not plainly a question
// left to the careful reader.
//
// Each line holds options.count decimal integers within the signed 64-bit
// range, an optional sign and digits each, between blanks (spaces and
// tabs), and ends in '\n'. The block is read line by line from data[0]:
// the k-th number of the r-th good line goes to columns[k][r], for up to
// max rows. Only whole lines are read: bytes after the last '\n' are a line
// only when options.file_end says the file ends there; otherwise they are
// left for the next block (the result's bytes says where they start).
// Nothing outside data[0..size) is read.
//
// Each line that is not a question goes to bad.note with its index in the
// block, from 0, and where it starts; the reading goes on past it if note
// says so, and otherwise stops there, at the line's start.
#pragma once

#include <cstddef>

namespace many
{

struct block_options {
	int count;        // numbers a line, from 1 to block_most
	const char *tool; // named in the message of a wrong count
	bool file_start;  // data[0] is the file's first byte (byte-order mark)
	bool file_end;    // the file ends at data[size]: a last line may
	                  // lack its '\n'
};

constexpr int block_most = 16;

struct bad_lines {
	bool (*note)(void *context, size_t line, size_t offset);
	void *context;
};

struct block_result {
	size_t rows;  // questions stored, row r of column k in columns[k][r]
	size_t lines; // lines read, bad ones included
	size_t bytes; // bytes read: those lines, with their newlines
	bool stopped; // a bad line stopped the reading
};

namespace block_detail
{
struct region_scan;
}

// What read_block works in, too large for a stack that may not grow: one
// for each thread that reads. Null from new_block_room without the memory.
using block_room = block_detail::region_scan;
block_room *new_block_room();
void free_block_room(block_room *room);

block_result read_block(const char *data, size_t size,
                        const block_options &options, long long *const *columns,
                        size_t max, bad_lines bad, block_room *room);

// Why the line begin..end, without its newline, is no question, in why
// (256 bytes), as the careful reader says it; first, if it starts a file.
void why_not(const char *begin, const char *end, bool first, int count,
             const char *tool, char *why);

// The builds of read_block that this processor runs, best first (null past
// the last), and the one it uses from now on, pinned by name for tests and
// benchmarks: its name, or null if it is not here; the best for null.
const char *block_build(size_t i);
const char *block_pin(const char *name);

} // namespace many
