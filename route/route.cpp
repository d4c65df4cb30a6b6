// The file route: the input read in chunks of whole lines, each chunk read
// and answered on whichever thread is free, and the chunks taken back in
// the order of the input. Unless the answers are streamed, every one waits
// for the last line, held as one bit: a bad line, however late, stops the
// run with no answer out, and memory grows by a bit a question, not by the
// text. The chunks in flight are few and of a fixed size, whatever the
// input's.
#include "route.h"

#include "block.h"
#include "chunks.h"
#include "tools.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

namespace many
{

namespace
{

#define SHORT_USAGE "Usage: %s [--threads N] [--stream | --check] TOOL [FILE]\n"

// The usage, with the tools' names and then a line of each tool's numbers
// in place of the second %s and the third.
const char usage[] = SHORT_USAGE
    "\n"
    "Answers the questions in FILE, or on standard input without one or for "
    "-,\n"
    "as the program TOOL, %s, answers them: one question a line,\n"
    "the program's arguments in its order as decimal integers separated by\n"
    "blanks; one answer a line on standard output, 1 or 0, in the same "
    "order.\n"
    "The answers are the program's on every input, a hair off a bound too.\n"
    "\n"
    "%s"
    "\n"
    "A line that is not exactly the tool's number of decimal integers within\n"
    "the signed 64-bit range, a blank one too, stops the run before any "
    "answer\n"
    "is written: one message names the line, and the exit status is 1.\n"
    "\n"
    "  --threads N  read and answer on N threads (default: one for each\n"
    "               processor this process may run on)\n"
    "  --stream     write each answer as soon as it is known; a bad line\n"
    "               stops the run after the answers to the lines before it\n"
    "  --check      write no answers, and name every bad line, not the "
    "first\n";

using tools::tool;
constexpr size_t tool_count = sizeof tools::all / sizeof *tools::all;

// The tools' names, as "a, b or c".
const char *choices()
{
	static char text[256];
	for (size_t i = 0, at = 0; i < tool_count; i++)
		at += static_cast<size_t>(
		    snprintf(text + at, sizeof text - at, "%s%s",
		             i == 0               ? ""
		             : i + 1 < tool_count ? ", "
		                                  : " or ",
		             tools::all[i].name));
	return text;
}

// The usage for invocation, whole.
const char *usage_of(const char *invocation)
{
	static char lines[1024], text[sizeof usage + sizeof lines + 512];
	for (size_t i = 0, at = 0; i < tool_count; i++)
		at += static_cast<size_t>(
		    snprintf(lines + at, sizeof lines - at, "  %-8s %s\n",
		             tools::all[i].name, tools::all[i].arguments));
	snprintf(text, sizeof text, usage, invocation, choices(), lines);
	return text;
}

// 0, or the errno of the write that failed.
int write_all(int fd, const char *p, size_t n)
{
	while (n > 0) {
		ssize_t done = write(fd, p, n);
		if (done < 0) {
			if (errno == EINTR)
				continue;
			return errno;
		}
		p += done;
		n -= static_cast<size_t>(done);
	}
	return 0;
}

// One message, in one write so that it is not split among others.
__attribute__((format(printf, 2, 3))) void say(int fd, const char *format, ...)
{
	char text[8192]; // a FILE named in full
	va_list args;
	va_start(args, format);
	int n = vsnprintf(text, sizeof text, format, args);
	va_end(args);
	if (n > 0)
		write_all(fd, text,
		          static_cast<size_t>(n) < sizeof text
		              ? static_cast<size_t>(n)
		              : sizeof text - 1);
}

// Answers as text, "0\n" or "1\n" each, into out.
size_t as_text(const bool *answers, size_t n, char *out)
{
	for (size_t i = 0; i < n; i++) {
		out[2 * i] = static_cast<char>('0' + answers[i]);
		out[2 * i + 1] = '\n';
	}
	return 2 * n;
}

// Answers held as bits, in order.
class bits
{
      public:
	~bits()
	{
		free(bytes_);
	}

	// False if there is no memory for them.
	bool add(const bool *answers, size_t n)
	{
		size_t need = (count_ + n + 7) / 8;
		if (need > room_) {
			size_t room = room_ ? 2 * room_ : 4096;
			while (room < need)
				room *= 2;
			auto *more =
			    static_cast<unsigned char *>(realloc(bytes_, room));
			if (!more)
				return false;
			memset(more + room_, 0, room - room_);
			bytes_ = more;
			room_ = room;
		}
		for (size_t i = 0; i < n; i++, count_++)
			bytes_[count_ / 8] |= static_cast<unsigned char>(
			    answers[i] << (count_ % 8));
		return true;
	}

	// Each as "0\n" or "1\n", through text, of size bytes; 0, or the
	// errno of the write that failed.
	int write_to(int fd, char *text, size_t size) const
	{
		for (size_t i = 0; i < count_;) {
			size_t at = 0;
			for (; i < count_ && at < size; i++, at += 2) {
				text[at] = static_cast<char>(
				    '0' + (bytes_[i / 8] >> (i % 8) & 1));
				text[at + 1] = '\n';
			}
			if (int error = write_all(fd, text, at))
				return error;
		}
		return 0;
	}

	size_t count() const
	{
		return count_;
	}

      private:
	unsigned char *bytes_ = nullptr;
	size_t count_ = 0, room_ = 0;
};

// Standard output closed, as a lost answer reports it. A descriptor that
// was never open lost nothing: a write to it would have failed first.
int finish(const char *name, int error)
{
	if (!error && close(1) != 0 && errno != EBADF)
		error = errno;
	if (!error)
		return 0;
	say(2, "%s: write error: %s\n", name, strerror(error));
	return 1;
}

// How a run goes: what it writes, and on how many threads.
struct plan {
	enum { hold, stream, check } answers;
	int threads;
	size_t chunk;
};

constexpr size_t nowhere = SIZE_MAX;

// A chunk in flight: its bytes, what they hold, and, once read, what the
// reading found. A block's answers lie at answers[0..questions); a bad line
// stopped it at the offset stop; in a check, bad has a bit set at the
// start of each bad line.
struct slot {
	char *buffer;
	unsigned char *bad;
	bool *answers;
	chunk what;
	size_t questions, lines, stop;
	bool done;
};

// What a thread reads a block with: room for a run of questions.
struct scratch {
	static constexpr size_t rows = 4096;
	long long *columns[tools::most];
	long long *numbers;
	block_room *room;
};

// A run of the route: the chunks, the threads that read them, and what is
// done with each chunk, in the order of the input.
class run
{
      public:
	// The input fd, from the FILE named, or null for standard input.
	run(const tool &t, int fd, const char *file, const char *name,
	    const char *invocation, const plan &p)
	    : t_(t), fd_(fd), file_(file),
	      where_(file ? file : "standard input"), name_(name),
	      invocation_(invocation), plan_(p)
	{
	}
	~run();
	run(const run &) = delete;
	run &operator=(const run &) = delete;

	// The exit status.
	int go();

      private:
	struct worker {
		run *r;
		scratch *room;
	};
	static ssize_t read_input(void *self, char *buffer, size_t size);
	static void *work(void *me);
	bool start();
	bool read_one(scratch &room);
	void read(slot &s, scratch &room);
	void take(slot &s);
	void take_next();
	void take_all();
	void fault(const char *at, size_t length, bool first, size_t line);
	void out(const bool *answers, size_t n);
	bool flush_out();

	const tool &t_;
	const int fd_;
	const char *const file_, *const where_, *const name_,
	                                            *const invocation_;
	const plan plan_;

	slot *slots_ = nullptr;
	size_t count_ = 0;
	scratch *rooms_ = nullptr;
	worker *workers_ = nullptr;
	pthread_t *threads_ = nullptr;
	int started_ = 0;

	// Chunks by their place in the input: those below filled_ given out,
	// taken_ the next to be read, done_ the next to be taken back.
	pthread_mutex_t lock_ = PTHREAD_MUTEX_INITIALIZER;
	pthread_cond_t ready_ = PTHREAD_COND_INITIALIZER,
	               read_ = PTHREAD_COND_INITIALIZER;
	size_t filled_ = 0, taken_ = 0, done_ = 0;
	bool closing_ = false;

	// What the chunks taken back have come to: the lines so far, the bad
	// ones, and the answers held or being written; the exit status once
	// the run is over, -1 before.
	unsigned long long lines_ = 0, faults_ = 0;
	bits held_;
	int status_ = -1;
	static constexpr size_t text_size = 1 << 16;
	char *text_ = nullptr;
	size_t written_ = 0;
};

run::~run()
{
	pthread_mutex_lock(&lock_);
	closing_ = true;
	pthread_cond_broadcast(&ready_);
	pthread_mutex_unlock(&lock_);
	for (int i = 0; i < started_; i++)
		pthread_join(threads_[i], nullptr);
	for (size_t i = 0; slots_ && i < count_; i++) {
		free(slots_[i].buffer);
		free(slots_[i].bad);
		free(slots_[i].answers);
	}
	for (int i = 0; rooms_ && i < plan_.threads; i++) {
		free(rooms_[i].numbers);
		free_block_room(rooms_[i].room);
	}
	free(slots_);
	free(rooms_);
	free(workers_);
	free(threads_);
	free(text_);
}

// The input; when streaming, the answers known written before a read that
// would wait, so that none waits for more input than its own line.
ssize_t run::read_input(void *self, char *buffer, size_t size)
{
	auto *r = static_cast<run *>(self);
	if (r->plan_.answers == plan::stream) {
		pollfd in = {r->fd_, POLLIN, 0};
		if (poll(&in, 1, 0) == 0) {
			r->take_all();
			if (!r->flush_out())
				r->status_ = 1;
		}
		if (r->status_ >= 0)
			return 0;
	}
	return ::read(r->fd_, buffer, size);
}

// Room for the chunks in flight and for reading them, and the threads
// beside this one, as many as the system gives; false if the memory is not
// there.
bool run::start()
{
	const int threads = plan_.threads;
	count_ = static_cast<size_t>(threads) + 2;
	slots_ = static_cast<slot *>(calloc(count_, sizeof *slots_));
	rooms_ = static_cast<scratch *>(calloc(threads, sizeof *rooms_));
	workers_ = static_cast<worker *>(calloc(threads, sizeof *workers_));
	threads_ = static_cast<pthread_t *>(calloc(threads, sizeof *threads_));
	text_ = static_cast<char *>(malloc(text_size));
	if (!slots_ || !rooms_ || !workers_ || !threads_ || !text_)
		return false;
	const bool check = plan_.answers == plan::check;
	for (size_t i = 0; i < count_; i++) {
		slot &s = slots_[i];
		s.buffer = static_cast<char *>(malloc(plan_.chunk));
		s.answers = static_cast<bool *>(malloc(plan_.chunk / 2 + 1));
		if (check)
			s.bad = static_cast<unsigned char *>(
			    malloc(plan_.chunk / 8 + 1));
		if (!s.buffer || !s.answers || (check && !s.bad))
			return false;
	}
	for (int i = 0; i < threads; i++) {
		scratch &room = rooms_[i];
		room.numbers = static_cast<long long *>(
		    malloc(sizeof(long long) * scratch::rows * tools::most));
		room.room = new_block_room();
		if (!room.numbers || !room.room)
			return false;
		for (int k = 0; k < tools::most; k++)
			room.columns[k] = room.numbers + k * scratch::rows;
		workers_[i] = {this, &room};
	}
	// Stacks just large enough: the block reader's is the largest need.
	pthread_attr_t small;
	pthread_attr_init(&small);
	pthread_attr_setstacksize(&small, 1 << 19);
	while (started_ + 1 < threads &&
	       !pthread_create(&threads_[started_], &small, work,
	                       &workers_[started_ + 1]))
		started_++;
	pthread_attr_destroy(&small);
	return true;
}

// Reads chunks as they are given out, until the run closes.
void *run::work(void *me)
{
	worker *w = static_cast<worker *>(me);
	run *r = w->r;
	pthread_mutex_lock(&r->lock_);
	for (;;) {
		while (!r->closing_ && r->taken_ == r->filled_)
			pthread_cond_wait(&r->ready_, &r->lock_);
		if (!r->read_one(*w->room))
			break;
	}
	pthread_mutex_unlock(&r->lock_);
	return nullptr;
}

// With the lock held: reads the next chunk given out, if any, and says
// whether it did.
bool run::read_one(scratch &room)
{
	if (taken_ == filled_)
		return false;
	slot &s = slots_[taken_++ % count_];
	pthread_mutex_unlock(&lock_);
	read(s, room);
	pthread_mutex_lock(&lock_);
	s.done = true;
	pthread_cond_broadcast(&read_);
	return true;
}

// Where a block's reading is: its slot, and where the call began.
struct reading {
	slot *s;
	size_t at;
	bool check;
};

bool note_bad(void *context, size_t, size_t offset)
{
	auto *r = static_cast<reading *>(context);
	const size_t at = r->at + offset;
	if (!r->check) {
		r->s->stop = at;
		return false;
	}
	r->s->bad[at / 8] |= static_cast<unsigned char>(1u << (at % 8));
	return true;
}

// A chunk read, and its questions answered unless only checked.
void run::read(slot &s, scratch &room)
{
	const bool check = plan_.answers == plan::check;
	const chunk &c = s.what;
	s.questions = s.lines = 0;
	s.stop = nowhere;
	if (c.what == chunk::line) {
		s.lines = 1;
		if (c.good && !check) {
			s.answers[0] = t_.one(c.numbers);
			s.questions = 1;
		}
		return;
	}
	if (c.what != chunk::block)
		return;
	if (check)
		memset(s.bad, 0, c.size / 8 + 1);
	reading now = {&s, 0, check};
	while (now.at < c.size) {
		const block_options o = {
		    t_.count, t_.name, c.file_start && now.at == 0, c.file_end};
		const block_result r = read_block(
		    c.data + now.at, c.size - now.at, o, room.columns,
		    scratch::rows, {note_bad, &now}, room.room);
		if (r.rows && !check)
			t_.many(r.rows, room.columns, s.answers + s.questions);
		s.questions += r.rows;
		s.lines += r.lines;
		if (r.stopped || !r.bytes)
			break;
		now.at += r.bytes;
	}
}

// The message of the bad line at..at + length, the lines' line-th.
void run::fault(const char *at, size_t length, bool first, size_t line)
{
	char why[256];
	why_not(at, at + length, first, t_.count, t_.name, why);
	say(2, "%s: %s:%zu: %s\n", name_, where_, line, why);
	faults_++;
}

// The length of the line at p, up to end.
size_t line_length(const char *p, const char *end)
{
	const void *newline = memchr(p, '\n', static_cast<size_t>(end - p));
	return static_cast<size_t>(
	    (newline ? static_cast<const char *>(newline) : end) - p);
}

// A chunk taken back, in the order of the input.
void run::take(slot &s)
{
	const chunk &c = s.what;
	if (status_ >= 0)
		return;
	switch (c.what) {
	case chunk::block:
		if (plan_.answers == plan::check) {
			// Each bad line's number from the newlines before it.
			size_t line = lines_ + 1;
			const char *from = c.data;
			for (size_t at = 0; at < c.size; at++) {
				if (!s.bad[at / 8]) {
					at |= 7;
					continue;
				}
				if (!(s.bad[at / 8] >> (at % 8) & 1))
					continue;
				const char *p = c.data + at;
				for (; from < p; from++)
					line += *from == '\n';
				fault(p, line_length(p, c.data + c.size),
				      c.file_start && at == 0, line);
			}
		} else {
			out(s.answers, s.questions);
			if (s.stop != nowhere && status_ < 0) {
				const char *p = c.data + s.stop;
				flush_out();
				fault(p, line_length(p, c.data + c.size),
				      c.file_start && s.stop == 0,
				      lines_ + s.lines + 1);
				status_ = 1;
			}
		}
		lines_ += s.lines;
		break;
	case chunk::line:
		lines_++;
		if (c.good) {
			out(s.answers, s.questions);
			break;
		}
		flush_out();
		say(2, "%s: %s:%llu: %s\n", name_, where_, lines_, c.why);
		faults_++;
		if (plan_.answers != plan::check)
			status_ = 1;
		break;
	case chunk::failed:
		flush_out();
		say(2, "%s: %s: %s\n", name_, where_, strerror(c.error));
		status_ = 1;
		break;
	case chunk::compressed:
		say(2,
		    "%s: %s: compressed with %s, not questions; answer it "
		    "with: %s %s | %s %s\n",
		    name_, where_, c.compression, c.command,
		    file_ ? file_ : "FILE", invocation_, t_.name);
		status_ = 1;
		break;
	case chunk::end:
		break;
	}
}

// Takes back the next chunk, once it is read, helping to read those given
// out meanwhile.
void run::take_next()
{
	slot &s = slots_[done_ % count_];
	pthread_mutex_lock(&lock_);
	while (!s.done)
		if (!read_one(rooms_[0]))
			pthread_cond_wait(&read_, &lock_);
	pthread_mutex_unlock(&lock_);
	take(s);
	done_++;
}

void run::take_all()
{
	while (done_ < filled_)
		take_next();
}

// Answers, held or written as they come.
void run::out(const bool *answers, size_t n)
{
	if (status_ >= 0 || plan_.answers == plan::check)
		return;
	if (plan_.answers == plan::hold) {
		if (!held_.add(answers, n)) {
			say(2, "%s: out of memory after %zu questions\n", name_,
			    held_.count());
			status_ = 1;
		}
		return;
	}
	for (size_t i = 0; i < n; i++) {
		if (written_ + 2 > text_size && !flush_out())
			return;
		written_ += as_text(answers + i, 1, text_ + written_);
	}
}

// The answers streamed so far written out; false, said, if they could not
// be.
bool run::flush_out()
{
	if (!written_)
		return true;
	int error = write_all(1, text_, written_);
	written_ = 0;
	if (!error)
		return true;
	say(2, "%s: write error: %s\n", name_, strerror(error));
	status_ = 1;
	return false;
}

int run::go()
{
	if (!start()) {
		say(2, "%s: out of memory\n", name_);
		return 1;
	}
	chunks in(source{read_input, this}, plan_.chunk, t_.count, t_.name);
	if (!in.ready()) {
		say(2, "%s: out of memory\n", name_);
		return 1;
	}
	for (bool more = true; more && status_ < 0;) {
		// A slot to fill: the one whose chunk has been taken back.
		while (filled_ - done_ == count_)
			take_next();
		slot &s = slots_[filled_ % count_];
		s.done = false;
		s.what = in.next(s.buffer);
		more =
		    s.what.what == chunk::block || s.what.what == chunk::line;
		if (started_ == 0) {
			read(s, rooms_[0]);
			s.done = true;
			taken_++;
			filled_++;
			continue;
		}
		pthread_mutex_lock(&lock_);
		filled_++;
		pthread_cond_signal(&ready_);
		pthread_mutex_unlock(&lock_);
	}
	take_all();
	if (status_ >= 0) {
		// What was streamed before the line at fault, written out.
		if (plan_.answers == plan::stream && flush_out())
			finish(name_, 0);
		return status_;
	}
	switch (plan_.answers) {
	case plan::hold:
		return finish(name_, held_.write_to(1, text_, text_size));
	case plan::stream:
		return flush_out() ? finish(name_, 0) : 1;
	case plan::check:
		return finish(name_, 0) || faults_ != 0;
	}
	return 1;
}

// The number of processors this process may run on.
int processors()
{
	cpu_set_t set;
	if (sched_getaffinity(0, sizeof set, &set))
		return 1;
	int n = CPU_COUNT(&set);
	return n < 1 ? 1 : n;
}

} // namespace

int route(int n, const char *const *args, const char *name,
          const char *invocation, const settings &given)
{
	const char *operands[3];
	int count = 0;
	bool options = true;
	// A chunk holds a compression's magic whole.
	plan p = {plan::hold, 0, given.chunk > 8 ? given.chunk : 8};
	for (int i = 0; i < n; i++) {
		const char *a = args[i];
		if (options && (!strcmp(a, "--help") || !strcmp(a, "-h"))) {
			const char *text = usage_of(invocation);
			return finish(name, write_all(1, text, strlen(text)));
		}
		const char *threads = nullptr;
		if (options && !strcmp(a, "--threads"))
			threads = i + 1 < n ? args[++i] : "";
		else if (options && !strncmp(a, "--threads=", 10))
			threads = a + 10;
		if (threads) {
			char *end;
			errno = 0;
			long v = strtol(threads, &end, 10);
			if (*threads < '0' || *threads > '9' || *end || errno ||
			    v < 1 || v > 1024) {
				say(2,
				    "%s: --threads takes a whole number from 1 "
				    "to 1024, not '%s'\n" SHORT_USAGE,
				    name, threads, invocation);
				return 1;
			}
			p.threads = static_cast<int>(v);
		} else if (options &&
		           (!strcmp(a, "--stream") || !strcmp(a, "--check"))) {
			auto asked = a[2] == 's' ? plan::stream : plan::check;
			if (p.answers != plan::hold && p.answers != asked) {
				say(2,
				    "%s: --stream and --check do not go "
				    "together: --check writes no "
				    "answers\n" SHORT_USAGE,
				    name, invocation);
				return 1;
			}
			p.answers = asked;
		} else if (options && !strcmp(a, "--")) {
			options = false;
		} else if (options && a[0] == '-' && a[1]) {
			say(2, "%s: unknown option '%s'\n" SHORT_USAGE, name, a,
			    invocation);
			return 1;
		} else if (count == 2) {
			say(2,
			    "%s: extra operand '%s': one FILE at "
			    "most\n" SHORT_USAGE,
			    name, a, invocation);
			return 1;
		} else {
			operands[count++] = a;
		}
	}
	if (count == 0) {
		say(2, "%s", usage_of(invocation));
		return 1;
	}
	const tool *t = nullptr;
	for (const tool &each : tools::all)
		if (!strcmp(operands[0], each.name))
			t = &each;
	if (!t) {
		say(2, "%s: unknown tool '%s': choose %s\n" SHORT_USAGE, name,
		    operands[0], choices(), invocation);
		return 1;
	}
	if (!p.threads)
		p.threads = processors() < 64 ? processors() : 64;
	// The chunks in flight in no more than 16 MiB, but each of 64 KiB
	// at least.
	const size_t budget = (size_t{16} << 20) / (p.threads + 2);
	if (p.chunk > budget)
		p.chunk = budget > (1 << 16) ? budget : 1 << 16;
	if (count == 1 || !strcmp(operands[1], "-"))
		return run(*t, 0, nullptr, name, invocation, p).go();
	int fd = open(operands[1], O_RDONLY | O_CLOEXEC);
	if (fd < 0) {
		say(2, "%s: %s: %s\n", name, operands[1], strerror(errno));
		return 1;
	}
	int status = run(*t, fd, operands[1], name, invocation, p).go();
	close(fd);
	return status;
}

} // namespace many
