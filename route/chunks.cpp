// Blocks end at a line's end, so that each is read alone and the lines'
// numbers come out right; what follows the last newline waits for the next
// buffer, where the rest of its line will follow it.
#include "chunks.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace many
{

namespace
{

// What a file that is compressed starts with, and what reads it.
struct compression {
	const char *name, *command;
	unsigned char magic[6];
	size_t length;
};

const compression compressions[] = {
    {"gzip", "zcat", {0x1f, 0x8b, 0x08}, 3},
    {"bzip2", "bzcat", {'B', 'Z', 'h'}, 3},
    {"xz", "xzcat", {0xfd, '7', 'z', 'X', 'Z', 0x00}, 6},
    {"zstd", "zstdcat", {0x28, 0xb5, 0x2f, 0xfd}, 4},
};

// A source that gives the bytes of a buffer first.
struct prefixed {
	const char *data;
	size_t have;
	source then;
};

ssize_t read_prefixed(void *context, char *buffer, size_t size)
{
	auto *p = static_cast<prefixed *>(context);
	if (!p->have)
		return p->then.read(p->then.context, buffer, size);
	size_t n = size < p->have ? size : p->have;
	memcpy(buffer, p->data, n);
	p->data += n;
	p->have -= n;
	return static_cast<ssize_t>(n);
}

} // namespace

chunks::chunks(source in, size_t size, int count, const char *tool)
    : in_(in), size_(size), count_(count), tool_(tool),
      left_(static_cast<char *>(malloc(size + reader::slack)))
{
}

chunks::~chunks()
{
	free(left_);
}

chunk chunks::magic(const char *data, size_t have) const
{
	chunk c = {};
	c.what = chunk::block;
	for (const compression &z : compressions)
		if (have >= z.length && !memcmp(data, z.magic, z.length)) {
			c.what = chunk::compressed;
			c.compression = z.name;
			c.command = z.command;
		}
	return c;
}

chunk chunks::next(char *buffer)
{
	chunk c = {};
	if (ended_) {
		c.what = chunk::end;
		return c;
	}
	memcpy(buffer, left_, kept_);
	size_t have = kept_;
	kept_ = 0;
	// Until a newline comes, the buffer is full or the input ends: no
	// compression's magic holds a newline, so that the first newline
	// shows whether the input starts with one. What a long line left
	// may hold whole lines already, which a read could keep waiting.
	bool at_end = false;
	bool newline = memchr(buffer, '\n', have);
	while (!newline && have < size_) {
		ssize_t got =
		    in_.read(in_.context, buffer + have, size_ - have);
		if (got < 0 && errno == EINTR)
			continue;
		if (got < 0) {
			ended_ = true;
			c.what = chunk::failed;
			c.error = errno;
			return c;
		}
		if (got == 0) {
			at_end = true;
			break;
		}
		newline = memchr(buffer + have, '\n', static_cast<size_t>(got));
		have += static_cast<size_t>(got);
	}
	const bool input_start = !started_, file_start = input_start && first_;
	started_ = true;
	if (input_start &&
	    (c = magic(buffer, have)).what == chunk::compressed) {
		ended_ = true;
		return c;
	}
	if (at_end) {
		ended_ = true;
		c.what = have ? chunk::block : chunk::end;
		c.data = buffer;
		c.size = have;
		c.file_start = file_start;
		c.file_end = true;
		return c;
	}
	const char *last =
	    static_cast<const char *>(memrchr(buffer, '\n', have));
	if (!last)
		return long_line(buffer, have, file_start);
	const size_t whole = static_cast<size_t>(last + 1 - buffer);
	kept_ = have - whole;
	memcpy(left_, buffer + whole, kept_);
	c.what = chunk::block;
	c.data = buffer;
	c.size = whole;
	c.file_start = file_start;
	return c;
}

// A line longer than a buffer, of which the buffer holds the first have
// bytes: read on by the careful reader, through its own buffer, to its end.
chunk chunks::long_line(char *buffer, size_t have, bool file_start)
{
	chunk c = {};
	c.what = chunk::line;
	prefixed from = {buffer, have, in_};
	reader r(source{read_prefixed, &from}, count_, tool_, left_, size_);
	if (!file_start)
		r.not_first();
	long long *at[block_most];
	for (int k = 0; k < block_most; k++)
		at[k] = c.numbers + k;
	c.good = r.read(at, 1) == 1;
	if (!c.good && r.fault_line()) {
		snprintf(c.why, sizeof c.why, "%s", r.why());
		r.skip_line();
	}
	if (r.error()) {
		ended_ = true;
		c.what = chunk::failed;
		c.error = r.error();
		return c;
	}
	kept_ = static_cast<size_t>(r.rest_end() - r.rest());
	memmove(left_, r.rest(), kept_);
	return c;
}

} // namespace many
