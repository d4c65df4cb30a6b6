// The bytes of a source as blocks of whole lines, each read into a buffer
// that the caller gives, to be read by the block reader anywhere, in any
// order; a line too long for a buffer, read on its own by the careful
// reader as it streams by. Sequential: one caller at a time.
#pragma once

#include "block.h"
#include "reader.h"

#include <cstddef>

namespace many
{

// What a chunk holds.
struct chunk {
	enum { block, line, end, failed, compressed } what;
	// A block: the whole lines data..data + size; whether data starts the
	// file, and whether the file ends after them.
	const char *data;
	size_t size;
	bool file_start, file_end;
	// A line read alone: its numbers, or why it is none.
	bool good;
	long long numbers[block_most];
	char why[256];
	// failed: the errno of the read; compressed: what the input is
	// compressed with, and the command that reads it.
	int error;
	const char *compression, *command;
};

class chunks
{
      public:
	// Buffers of size bytes, 8 or more, which hold a compression's magic;
	// count numbers a line, for the tool named.
	// Owns a buffer of its own, for what a block leaves over and for the
	// careful reader: false from ready() if it could have none.
	chunks(source in, size_t size, int count, const char *tool);
	~chunks();
	chunks(const chunks &) = delete;
	chunks &operator=(const chunks &) = delete;

	bool ready() const
	{
		return left_ != nullptr;
	}

	// The next chunk, its bytes in buffer (size bytes of room).
	chunk next(char *buffer);

	// The bytes start within a file, not at its start: no byte-order
	// mark is told from the first line's other faults.
	void not_first()
	{
		first_ = false;
	}

      private:
	chunk long_line(char *buffer, size_t have, bool file_start);
	chunk magic(const char *data, size_t have) const;

	source in_;
	size_t size_;
	int count_;
	const char *tool_;
	bool started_ = false, ended_ = false, first_ = true;
	// What the last buffer held after its last whole line.
	char *left_;
	size_t kept_ = 0;
};

} // namespace many
