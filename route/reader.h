// Questions read strictly, one a line: on every line the same number of
// decimal integers within 64 bits, each an optional sign and digits,
// separated by blanks (spaces and tabs). The careful reading, a byte at a
// time: of a stream through one fixed buffer, which takes lines of any
// length; or of lines already in memory. The first line that is not a
// question stops the reading, with what is wrong with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace many
{

// Where a stream's bytes come from: read(context, buffer, size) fills
// buffer with up to size of them, as read(2) does: their count, 0 at the
// end, or -1 with errno set.
struct source {
	ssize_t (*read)(void *context, char *buffer, size_t size);
	void *context;
};

class reader
{
      public:
	// Bytes past the end of a buffer's data that a read of digits may
	// touch, eight at a time.
	static constexpr size_t slack = 8;

	// count numbers a question, for the tool named in messages; buffer
	// holds size + slack bytes, up to size of them read at a time.
	reader(source in, int count, const char *tool, char *buffer,
	       size_t size);
	reader(int fd, int count, const char *tool, char *buffer, size_t size);
	// The line begin..end, without its newline; first, if begin is the
	// start of a file.
	reader(const char *begin, const char *end, bool first, int count,
	       const char *tool);

	// Up to max questions, the k-th number of each into columns[k], in
	// order; 0 once all are read, or once one is at fault.
	size_t read(long long *const *columns, size_t max);

	// Once read returns 0: the line at fault (0 if none) and what is
	// wrong with it; or the errno of a read that failed (0 if none).
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

	// What the reader holds and has not read: after a question, the bytes
	// past its line, the next line's start; after skip_line, those past
	// the line at fault.
	const char *rest() const
	{
		return p_;
	}
	const char *rest_end() const
	{
		return end_;
	}

	// Reads on past the line at fault, through its newline; false if a
	// read failed.
	bool skip_line();

	// Line 1 is not a file's first: no byte-order mark is named there.
	void not_first()
	{
		first_ = false;
	}

      private:
	bool fill();
	void keep(const char *from, const char *to);
	void digits();
	bool end_word(long long *const *columns, size_t row);
	bool end_line(size_t &rows);
	bool bad_byte();
	bool fault(const char *format, ...)
	    __attribute__((format(printf, 2, 3)));
	const char *quoted(char *out, size_t room) const;

	source in_;
	int fd_ = -1;
	int count_;
	const char *tool_;
	char *buffer_;
	size_t size_;
	const char *p_, *end_;
	bool done_ = false;

	// The line being read: its number, the words ended on it, and whether
	// it holds any byte; and whether line 1 starts a file.
	unsigned long long line_ = 1, words_ = 0;
	bool started_ = false, first_ = true;

	// The word being read, and its first bytes for a message: where it
	// starts in the buffer, or the buffer's start if it started earlier.
	bool in_word_ = false, negative_ = false, any_digit_ = false,
	     beyond_ = false;
	uint64_t magnitude_ = 0;
	const char *word_ = nullptr;
	unsigned long long word_length_ = 0;
	static constexpr size_t quote_most = 40;
	char quote_[quote_most] = {};

	unsigned long long fault_line_ = 0;
	int error_ = 0;
	char why_[256] = "";
};

} // namespace many
