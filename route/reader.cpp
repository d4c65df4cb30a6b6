// The reader is strict: nothing in a line is guessed at or passed over, so
// that no answer stands for a question other than the one written.
#include "reader.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace many
{

namespace
{

// The 8 bytes at p, the first in the lowest byte on any byte order.
uint64_t load(const char *p)
{
	uint64_t x;
	memcpy(&x, p, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
	x = __builtin_bswap64(x);
#endif
	return x;
}

// The n bytes at p, fewer than 8, as load gives them, zeros after.
uint64_t load_some(const char *p, size_t n)
{
	char bytes[8] = {};
	memcpy(bytes, p, n);
	return load(bytes);
}

// How many of the bytes in x, from the first, are digits. Each byte's low
// seven bits plus 0x50 or 0x46 carry into its top bit exactly when they
// reach '0' or pass '9', and never into the next byte.
unsigned leading_digits(uint64_t x)
{
	const uint64_t tops = 0x8080808080808080;
	uint64_t low = x & ~tops;
	uint64_t digit = (low + 0x5050505050505050) &
	                 ~(low + 0x4646464646464646) & ~x & tops;
	uint64_t other = ~digit & tops;
	return other ? static_cast<unsigned>(__builtin_ctzll(other)) / 8 : 8;
}

// The value of the first k digits in x, k from 1 to 8: shifted to the top,
// with zeros below for leading zeros, then paired up three times.
uint64_t value_of(uint64_t x, unsigned k)
{
	x <<= 8 * (8 - k);
	x = (x & 0x0F0F0F0F0F0F0F0F) * 2561 >> 8;
	x = (x & 0x00FF00FF00FF00FF) * 6553601 >> 16;
	return (x & 0x0000FFFF0000FFFF) * 42949672960001 >> 32;
}

const uint64_t powers[] = {1,      10,      100,      1000,     10000,
                           100000, 1000000, 10000000, 100000000};

bool blank(unsigned char c)
{
	return c == ' ' || c == '\t';
}

} // namespace

namespace
{

ssize_t from_fd(void *fd, char *buffer, size_t size)
{
	return ::read(*static_cast<int *>(fd), buffer, size);
}

} // namespace

reader::reader(source in, int count, const char *tool, char *buffer,
               size_t size)
    : in_(in), count_(count), tool_(tool), buffer_(buffer), size_(size),
      p_(buffer), end_(buffer)
{
	// Digits are read eight bytes at a time, some past the data: all of
	// them hold a value from the start.
	memset(buffer, 0, size + slack);
}

reader::reader(int fd, int count, const char *tool, char *buffer, size_t size)
    : reader(source{from_fd, &fd_}, count, tool, buffer, size)
{
	fd_ = fd;
}

reader::reader(const char *begin, const char *end, bool first, int count,
               const char *tool)
    : in_{nullptr, nullptr}, count_(count), tool_(tool), buffer_(nullptr),
      size_(0), p_(begin), end_(end), started_(begin == end), first_(first)
{
	// An empty line is still a line, and blank.
}

bool reader::fill()
{
	if (in_word_)
		keep(word_, end_);
	p_ = end_ = word_ = buffer_;
	for (;;) {
		// Lines in memory end where their memory does.
		ssize_t got =
		    in_.read ? in_.read(in_.context, buffer_, size_) : 0;
		if (got > 0) {
			end_ = buffer_ + got;
			return true;
		}
		if (got == 0)
			return false;
		if (errno != EINTR) {
			error_ = errno;
			done_ = true;
			return false;
		}
	}
}

bool reader::skip_line()
{
	for (;;) {
		if (p_ == end_ && !fill())
			return !error_;
		const void *newline =
		    memchr(p_, '\n', static_cast<size_t>(end_ - p_));
		if (newline) {
			p_ = static_cast<const char *>(newline) + 1;
			return true;
		}
		p_ = end_;
	}
}

// Counts the word's bytes from..to, keeping the first few for a message.
void reader::keep(const char *from, const char *to)
{
	size_t n = static_cast<size_t>(to - from);
	if (n && word_length_ < quote_most)
		memcpy(quote_ + word_length_, from,
		       n < quote_most - word_length_
		           ? n
		           : quote_most - word_length_);
	word_length_ += n;
}

// As many digits as stand at p_ in the buffer, up to eight. Inline, as
// end_word, in read's loop, through which every byte passes.
inline void reader::digits()
{
	size_t left = static_cast<size_t>(end_ - p_);
	// Lines in memory have no bytes past their end to read.
	uint64_t x = left >= 8 || buffer_ ? load(p_) : load_some(p_, left);
	unsigned k = leading_digits(x);
	if (k > left)
		k = static_cast<unsigned>(left);
	any_digit_ = true;
	beyond_ |=
	    __builtin_mul_overflow(magnitude_, powers[k], &magnitude_) ||
	    __builtin_add_overflow(magnitude_, value_of(x, k), &magnitude_);
	p_ += k;
}

inline bool reader::end_word(long long *const *columns, size_t row)
{
	in_word_ = false;
	// The most a negative magnitude may be is one more.
	if (!any_digit_ || beyond_ ||
	    magnitude_ > static_cast<uint64_t>(INT64_MAX) + negative_) {
		keep(word_, p_);
		char text[4 * quote_most + 8];
		return any_digit_
		           ? fault("%s lies beyond the signed 64-bit range",
		                   quoted(text, sizeof text))
		           : fault("'%s' is not a decimal integer",
		                   quoted(text, sizeof text));
	}
	if (words_ < static_cast<unsigned long long>(count_))
		columns[words_][row] = static_cast<long long>(
		    negative_ ? 0 - magnitude_ : magnitude_);
	words_++;
	return true;
}

bool reader::end_line(size_t &rows)
{
	if (words_ == 0)
		return fault("a blank line, where a question must be");
	if (words_ != static_cast<unsigned long long>(count_))
		return fault("%llu number%s, but %s takes %d", words_,
		             words_ == 1 ? "" : "s", tool_, count_);
	rows++;
	line_++;
	words_ = 0;
	started_ = false;
	return true;
}

// A byte that no number holds: names the word around it.
bool reader::bad_byte()
{
	// No byte of the file before this one.
	bool file_start = first_ && line_ == 1 && !started_;
	if (!in_word_) {
		in_word_ = true;
		word_ = p_;
		word_length_ = 0;
	}
	unsigned long long bad =
	    word_length_ + static_cast<unsigned long long>(p_ - word_);
	bool carriage_return = *p_ == '\r';
	bool ends_line = true;
	for (;;) {
		if (p_ == end_ && !fill())
			break;
		if (blank(*p_) || *p_ == '\n') {
			ends_line = *p_ == '\n';
			break;
		}
		p_++;
	}
	keep(word_, p_);
	if (error_)
		return false;
	if (carriage_return && bad + 1 == word_length_ && ends_line)
		return fault(
		    "a carriage return ends the line: the file has CRLF "
		    "line endings, where each line must end in a bare "
		    "line feed");
	if (file_start && word_length_ >= 3 &&
	    memcmp(quote_, "\xEF\xBB\xBF", 3) == 0)
		return fault("a UTF-8 byte-order mark starts the file, where a "
		             "number must");
	char text[4 * quote_most + 8];
	return fault("'%s' is not a decimal integer",
	             quoted(text, sizeof text));
}

bool reader::fault(const char *format, ...)
{
	va_list args;
	va_start(args, format);
	vsnprintf(why_, sizeof why_, format, args);
	va_end(args);
	fault_line_ = line_;
	done_ = true;
	return false;
}

// The word's first bytes, escaped where they are not printable, and an
// ellipsis for the rest.
const char *reader::quoted(char *out, size_t room) const
{
	size_t n = word_length_ < quote_most ? word_length_ : quote_most,
	       at = 0;
	for (size_t i = 0; i < n; i++) {
		unsigned char c = static_cast<unsigned char>(quote_[i]);
		const char *form = c == '\\' || c == '\'' ? "\\%c"
		                   : c == '\r'            ? "\\r"
		                   : c < ' ' || c > '~'   ? "\\x%02x"
		                                          : "%c";
		at +=
		    static_cast<size_t>(snprintf(out + at, room - at, form, c));
	}
	snprintf(out + at, room - at, "%s", word_length_ > n ? "..." : "");
	return out;
}

size_t reader::read(long long *const *columns, size_t max)
{
	size_t rows = 0;
	while (!done_ && rows < max) {
		if (p_ == end_ && !fill()) {
			// The end, or a read that failed; the last line may
			// lack its newline.
			if (error_ || (in_word_ && !end_word(columns, rows)) ||
			    (started_ && !end_line(rows)))
				return 0;
			done_ = true;
			break;
		}
		unsigned char c = static_cast<unsigned char>(*p_);
		if (static_cast<unsigned>(c - '0') < 10u) {
			if (!in_word_) {
				in_word_ = started_ = true;
				negative_ = any_digit_ = beyond_ = false;
				magnitude_ = 0;
				word_ = p_;
				word_length_ = 0;
			}
			digits();
		} else if (blank(c)) {
			started_ = true;
			if (in_word_ && !end_word(columns, rows))
				return 0;
			p_++;
		} else if (c == '\n') {
			if ((in_word_ && !end_word(columns, rows)) ||
			    !end_line(rows))
				return 0;
			p_++;
		} else if ((c == '+' || c == '-') && !in_word_) {
			in_word_ = started_ = true;
			negative_ = c == '-';
			any_digit_ = beyond_ = false;
			magnitude_ = 0;
			word_ = p_;
			word_length_ = 0;
			p_++;
		} else {
			bad_byte();
			return 0;
		}
	}
	return rows;
}

} // namespace many
