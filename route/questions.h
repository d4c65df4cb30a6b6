// Questions pulled from a source, as many at a time as a caller has room
// for, on the caller's thread: the file route's reading, for a caller that
// keeps the numbers rather than answering them.
#pragma once

#include "block.h"
#include "chunks.h"

#include <cstddef>

namespace many
{

class questions
{
      public:
	// count numbers a line, for the tool named; the source's first line
	// is line first, and a file's first line only if first is 1. Chunks
	// of chunk bytes.
	questions(source in, int count, const char *tool,
	          unsigned long long first, size_t chunk = size_t{1} << 20);
	~questions();
	questions(const questions &) = delete;
	questions &operator=(const questions &) = delete;

	// False if the memory for reading is not there.
	bool ready() const
	{
		return buffer_ && room_ && in_.ready();
	}

	// Up to max more questions, the k-th number of each into columns[k],
	// in order; 0 once all are read, or once one is at fault.
	size_t read(long long *const *columns, size_t max);

	// Once read returns 0: the line at fault (0 if none) and what is
	// wrong with it; the errno of a read that failed (0 if none); what
	// the input is compressed with, and the command that reads it (null
	// if it is not).
	unsigned long long fault_line() const
	{
		return fault_line_;
	}
	const char *why() const
	{
		return why_;
	}
	int error() const
	{
		return error_;
	}
	const char *compression() const
	{
		return compression_;
	}
	const char *command() const
	{
		return command_;
	}

      private:
	chunks in_;
	int count_;
	const char *tool_;
	char *buffer_;
	block_room *room_;
	chunk now_ = {};
	size_t at_ = 0;
	bool over_ = false;
	unsigned long long line_, fault_line_ = 0;
	int error_ = 0;
	const char *compression_ = nullptr, *command_ = nullptr;
	char why_[256] = "";
};

} // namespace many
