// Every question is read and answered before the first answer is written,
// each held as one bit: a bad line, however late, stops the run with no
// answer out, and memory grows by a bit a question, not by the text.
#include "route.h"

#include "reader.h"
#include "tools.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace many
{

namespace
{

// The usage, with the tools' names and then a line of each tool's numbers
// in place of the second %s and the third.
const char usage[] =
    "Usage: %s TOOL [FILE]\n"
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
    "is written: one message names the line, and the exit status is 1.\n";

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

constexpr size_t buffer_size = 1 << 17, block = 1024;

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

	// Each as "0\n" or "1\n"; 0, or the errno of the write that failed.
	int write_to(int fd) const
	{
		char text[1 << 16];
		size_t at = 0;
		for (size_t i = 0; i < count_; i++) {
			text[at++] = static_cast<char>(
			    '0' + (bytes_[i / 8] >> (i % 8) & 1));
			text[at++] = '\n';
			if (at == sizeof text || i + 1 == count_) {
				if (int error = write_all(fd, text, at))
					return error;
				at = 0;
			}
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

// Reads and answers every question in into held; 0, or 1 once a message
// has said what stopped it.
int ask_all(const tool &t, reader &in, const char *where, const char *name,
            long long *numbers, bits &held)
{
	bool answers[block];
	long long *columns[tools::most];
	for (int k = 0; k < t.count; k++)
		columns[k] = numbers + k * block;
	while (size_t n = in.read(columns, block)) {
		t.many(n, columns, answers);
		if (!held.add(answers, n)) {
			say(2, "%s: out of memory after %zu questions\n", name,
			    held.count());
			return 1;
		}
	}
	if (in.error())
		say(2, "%s: %s: %s\n", name, where, strerror(in.error()));
	else if (in.fault_line())
		say(2, "%s: %s:%llu: %s\n", name, where, in.fault_line(),
		    in.why());
	return in.error() || in.fault_line();
}

// Reads and answers every question from fd, then writes the answers.
int answer(const tool &t, int fd, const char *where, const char *name)
{
	char *buffer = static_cast<char *>(malloc(buffer_size + reader::slack));
	auto *numbers = static_cast<long long *>(
	    malloc(sizeof(long long) * t.count * block));
	bits held;
	int status = 1;
	if (!buffer || !numbers) {
		say(2, "%s: out of memory\n", name);
	} else {
		reader in(fd, t.count, t.name, buffer, buffer_size);
		status = ask_all(t, in, where, name, numbers, held);
	}
	free(buffer);
	free(numbers);
	return status ? status : finish(name, held.write_to(1));
}

} // namespace

int route(int n, const char *const *args, const char *name,
          const char *invocation)
{
	const char *operands[3];
	int count = 0;
	bool options = true;
	for (int i = 0; i < n; i++) {
		const char *a = args[i];
		if (options && (!strcmp(a, "--help") || !strcmp(a, "-h"))) {
			const char *text = usage_of(invocation);
			return finish(name, write_all(1, text, strlen(text)));
		}
		if (options && !strcmp(a, "--")) {
			options = false;
		} else if (options && a[0] == '-' && a[1]) {
			say(2,
			    "%s: unknown option '%s'\nUsage: %s TOOL [FILE]\n",
			    name, a, invocation);
			return 1;
		} else if (count == 2) {
			say(2,
			    "%s: extra operand '%s': one FILE at most\nUsage: "
			    "%s TOOL [FILE]\n",
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
		say(2,
		    "%s: unknown tool '%s': choose %s\nUsage: %s TOOL [FILE]\n",
		    name, operands[0], choices(), invocation);
		return 1;
	}
	if (count == 1 || !strcmp(operands[1], "-"))
		return answer(*t, 0, "standard input", name);
	int fd = open(operands[1], O_RDONLY | O_CLOEXEC);
	if (fd < 0) {
		say(2, "%s: %s: %s\n", name, operands[1], strerror(errno));
		return 1;
	}
	int status = answer(*t, fd, operands[1], name);
	close(fd);
	return status;
}

} // namespace many
