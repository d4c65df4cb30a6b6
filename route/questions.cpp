// One thread pulls the chunks and reads their blocks, a call at a time,
// where it left off; a line at fault stops the reading there.
#include "questions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace many
{

questions::questions(source in, int count, const char *tool,
                     unsigned long long first, size_t chunk)
    : in_(in, chunk > 8 ? chunk : 8, count, tool), count_(count), tool_(tool),
      buffer_(static_cast<char *>(malloc(chunk > 8 ? chunk : 8))),
      room_(new_block_room()), line_(first - 1)
{
	now_.what = chunk::block;
	if (first != 1)
		in_.not_first();
}

questions::~questions()
{
	free(buffer_);
	free_block_room(room_);
}

namespace
{

bool stop_at(void *at, size_t, size_t offset)
{
	*static_cast<size_t *>(at) = offset;
	return false;
}

} // namespace

size_t questions::read(long long *const *columns, size_t max)
{
	size_t rows = 0;
	long long *at[block_most];
	while (!over_ && rows < max) {
		if (now_.what == chunk::block && at_ == now_.size) {
			now_ = in_.next(buffer_);
			at_ = 0;
		}
		switch (now_.what) {
		case chunk::end:
			over_ = true;
			break;
		case chunk::failed:
			error_ = now_.error;
			over_ = true;
			break;
		case chunk::compressed:
			compression_ = now_.compression;
			command_ = now_.command;
			over_ = true;
			break;
		case chunk::line:
			line_++;
			now_.what = chunk::block;
			now_.size = at_ = 0;
			if (!now_.good) {
				fault_line_ = line_;
				snprintf(why_, sizeof why_, "%s", now_.why);
				over_ = true;
				break;
			}
			for (int k = 0; k < count_; k++)
				columns[k][rows] = now_.numbers[k];
			rows++;
			break;
		case chunk::block: {
			for (int k = 0; k < count_ && k < block_most; k++)
				at[k] = columns[k] + rows;
			const block_options o = {count_, tool_,
			                         now_.file_start && at_ == 0,
			                         now_.file_end};
			size_t bad = 0;
			const size_t from = at_;
			const block_result r =
			    read_block(now_.data + at_, now_.size - at_, o, at,
			               max - rows, {stop_at, &bad}, room_);
			rows += r.rows;
			line_ += r.lines;
			at_ += r.bytes;
			if (r.stopped) {
				const char *p = now_.data + from + bad;
				const void *newline =
				    memchr(p, '\n',
				           static_cast<size_t>(now_.data +
				                               now_.size - p));
				why_not(p,
				        newline
				            ? static_cast<const char *>(newline)
				            : now_.data + now_.size,
				        o.file_start && from + bad == 0, count_,
				        tool_, why_);
				fault_line_ = line_ + 1;
				over_ = true;
			} else if (!r.bytes && at_ < now_.size) {
				// Nothing whole was left to read: none is.
				at_ = now_.size;
			}
			break;
		}
		}
	}
	// The questions before a fault are kept for none.
	return over_ && (fault_line_ || error_ || compression_) ? 0 : rows;
}

} // namespace many
