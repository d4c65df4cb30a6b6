// The file route's reader through buffers of every size from one byte up,
// so that each line is split at every byte, and with as many questions
// asked of it at a time as it may hand back at once: the same questions,
// or the same fault on the same line, every way. Then reads and writes
// that a signal interrupts, which the route must take up again.
#include "reader.h"
#include "route.h"

#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

struct test_case {
	std::string text, want; // the questions, or LINE: what is wrong
};

std::string times(int n, const std::string &text)
{
	std::string all;
	while (n-- > 0)
		all += text;
	return all;
}

// Three numbers a question, for the tool "trio".
const test_case cases[] = {
    {"", ""},
    {"1 2 3\n", "1 2 3\n"},
    {"1 2 3", "1 2 3\n"},
    {" +1\t-2  003 \n-0 0 9223372036854775807\n-9223372036854775808 1 2\n",
     "1 -2 3\n0 0 9223372036854775807\n-9223372036854775808 1 2\n"},
    {"0000000000000000000000000000000000000000000001 2 3\n", "1 2 3\n"},
    {"1 2\n", "1: 2 numbers, but trio takes 3"},
    {"1\n", "1: 1 number, but trio takes 3"},
    {"1 2 3 4\n", "1: 4 numbers, but trio takes 3"},
    {"1 2 3\n4 5 6\n7 8\n", "3: 2 numbers, but trio takes 3"},
    {"1 2 3\n\n", "2: a blank line, where a question must be"},
    {"\n", "1: a blank line, where a question must be"},
    {"1 2 3\n \t\n1 2 3\n", "2: a blank line, where a question must be"},
    {"1 2 3\n ", "2: a blank line, where a question must be"},
    {"1 2 3\r\n", "1: a carriage return ends the line: the file has CRLF "
                  "line endings, where each line must end in a bare line feed"},
    {"1 2 3\n\r\n",
     "2: a carriage return ends the line: the file has CRLF "
     "line endings, where each line must end in a bare line feed"},
    {"1 2 3\r", "1: a carriage return ends the line: the file has CRLF line "
                "endings, where each line must end in a bare line feed"},
    {"1 2\r3\n", "1: '2\\r3' is not a decimal integer"},
    {"1 2 3\r \n", "1: '3\\r' is not a decimal integer"},
    {"\xEF\xBB\xBF"
     "1 2 3\n",
     "1: a UTF-8 byte-order mark starts the file, where a number must"},
    {"1 2 \xEF\xBB\xBF"
     "3\n",
     "1: '\\xef\\xbb\\xbf3' is not a decimal integer"},
    {"\xEF\xBB\xBF 1 2 3\n",
     "1: a UTF-8 byte-order mark starts the file, where a number must"},
    {"1 2 3\n\xEF\xBB\xBF 1 2\n",
     "2: '\\xef\\xbb\\xbf' is not a decimal integer"},
    {"1 2 7.5\n", "1: '7.5' is not a decimal integer"},
    // The bytes beside the digits, and digits with the top bit set, after
    // digits that are read eight at a time.
    {"1 2 3/\n", "1: '3/' is not a decimal integer"},
    {"1 2 3:\n", "1: '3:' is not a decimal integer"},
    {"1 2 3\xb4\n", "1: '3\\xb4' is not a decimal integer"},
    {"1 2 0x1F\n", "1: '0x1F' is not a decimal integer"},
    {"1 2 +\n", "1: '+' is not a decimal integer"},
    {"1 - 2 3\n", "1: '-' is not a decimal integer"},
    {"1 2 +-3\n", "1: '+-3' is not a decimal integer"},
    {"1 2 3-", "1: '3-' is not a decimal integer"},
    {"1 2\v3\n", "1: '2\\x0b3' is not a decimal integer"},
    {"1 2 a\\'b\n", "1: 'a\\\\\\'b' is not a decimal integer"},
    {std::string("1 2 \0\n", 6), "1: '\\x00' is not a decimal integer"},
    {"1 x 2 3 4\n", "1: 'x' is not a decimal integer"},
    {"1 2 abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz\n",
     "1: 'abcdefghijklmnopqrstuvwxyzabcdefghijklmn...' is not a decimal "
     "integer"},
    {"1 2 9223372036854775808\n",
     "1: 9223372036854775808 lies beyond the signed 64-bit range"},
    {"1 2 -9223372036854775809\n",
     "1: -9223372036854775809 lies beyond the signed 64-bit range"},
    {"1 2 18446744073709551616\n",
     "1: 18446744073709551616 lies beyond the signed 64-bit range"},
    // A magnitude that wraps past 2^64 to a small value, and a bad word of
    // unprintable bytes, each escaped, cut after 40.
    {"1 2 0884521378334373000000007\n",
     "1: 0884521378334373000000007 lies beyond the signed 64-bit range"},
    {"1 2 " + std::string(41, '\x01') + "\n",
     "1: '" + times(40, "\\x01") + "...' is not a decimal integer"},
    {"1 2 100000000000000000000000000000000000000000000000000\n",
     "1: 1000000000000000000000000000000000000000... lies beyond the signed "
     "64-bit range"},
};

// What a reader hands back, max questions at a time: the questions, or
// where and why it stopped.
std::string questions_in(many::reader &in, size_t max)
{
	std::vector<long long> numbers(3 * max);
	long long *columns[] = {&numbers[0], &numbers[max], &numbers[2 * max]};
	std::string got;
	while (size_t n = in.read(columns, max))
		for (size_t i = 0; i < n; i++)
			got += std::to_string(columns[0][i]) + " " +
			       std::to_string(columns[1][i]) + " " +
			       std::to_string(columns[2][i]) + "\n";
	// The questions before a fault are never answered.
	return in.fault_line()
	           ? std::to_string(in.fault_line()) + ": " + in.why()
	           : got;
}

// Every way of reading text: its questions, or where and why it stopped.
std::string read_all(int fd, const std::string &text, size_t size, size_t max)
{
	if (ftruncate(fd, 0) ||
	    pwrite(fd, text.data(), text.size(), 0) !=
	        static_cast<ssize_t>(text.size()) ||
	    lseek(fd, 0, SEEK_SET))
		abort();
	std::vector<char> buffer(size + many::reader::slack);
	many::reader in(fd, 3, "trio", buffer.data(), size);
	return questions_in(in, max);
}

// Questions of every length of digits, with signs, leading zeros and runs
// of blanks, and what they hold.
test_case generated()
{
	std::mt19937_64 next(1);
	test_case c;
	for (int line = 0; line < 300; line++) {
		for (int k = 0; k < 3; k++) {
			long long v =
			    static_cast<long long>(next() >> (next() % 64));
			v = next() & 1 ? -v : v;
			std::string digits = std::to_string(
			    v < 0 ? 0 - static_cast<unsigned long long>(v)
			          : static_cast<unsigned long long>(v));
			c.text +=
			    std::string((k > 0) + next() % 3,
			                next() & 1 ? ' ' : '\t') +
			    (v < 0        ? "-"
			     : next() % 4 ? ""
			                  : "+") +
			    std::string(next() % 4 ? 0 : next() % 30, '0') +
			    digits;
			c.want += std::to_string(v) + (k < 2 ? " " : "\n");
		}
		c.text += std::string(next() % 2, ' ') + "\n";
	}
	return c;
}

void on_alarm(int)
{
}

// The child's exit status, however often the signal interrupts the wait.
int wait_for(pid_t child)
{
	int status = -1;
	while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
	}
	return status;
}

// A child that writes text into a new pipe a little at a time, or reads
// what comes through it so, and wants it to be text: its exit status says.
// The parent gets the other end, in *end.
pid_t slowly(int *end, bool writes, const std::string &text)
{
	int ends[2];
	*end = -1;
	if (pipe(ends))
		return -1;
	pid_t child = fork();
	int fd = ends[writes];
	*end = ends[!writes];
	close(child == 0 ? *end : fd);
	if (child != 0)
		return child;
	std::string got;
	char piece[997];
	for (size_t at = 0; writes ? at < text.size() : true;
	     at += sizeof piece) {
		usleep(50);
		if (writes) {
			size_t n = std::min(sizeof piece, text.size() - at);
			if (write(fd, text.data() + at, n) !=
			    static_cast<ssize_t>(n))
				_exit(1);
		} else {
			ssize_t n = read(fd, piece, sizeof piece);
			if (n <= 0)
				break;
			got.append(piece, static_cast<size_t>(n));
		}
	}
	_exit(!writes && got != text);
}

// With a signal every 100 microseconds whose handler restarts nothing:
// the reader reads what a child writes slowly into a pipe, and the route
// writes its answers into a pipe that a child empties slowly.
int interrupted(const test_case &c)
{
	struct sigaction alarm = {};
	alarm.sa_handler = on_alarm;
	sigaction(SIGALRM, &alarm, nullptr);
	itimerval every = {{0, 100}, {0, 100}};
	setitimer(ITIMER_REAL, &every, nullptr);

	int in, out, status, failed = 0;
	pid_t writer = slowly(&in, true, c.text);
	std::vector<char> buffer(4096 + many::reader::slack);
	many::reader questions(in, 3, "trio", buffer.data(), 4096);
	std::string got = questions_in(questions, 100);
	close(in);
	status = wait_for(writer);
	if (got != c.want || questions.error() || status != 0) {
		printf("FAIL: interrupted reads: %s, the writer %d\n",
		       strerror(questions.error()), status);
		failed++;
	}

	// Answers in no period, which a write taken up again at the wrong
	// place would leave unchanged.
	FILE *file = tmpfile();
	std::string answers;
	std::mt19937 next(2);
	for (int i = 0; i < 100000; i++) {
		bool yes = next() & 1;
		fputs(yes ? "0 0 10 0 20 5 5\n" : "10 0 0 0 20 5 5\n", file);
		answers += yes ? "1\n" : "0\n";
	}
	fflush(file);
	std::string path = "/dev/fd/" + std::to_string(fileno(file));
	pid_t reader = slowly(&out, false, answers);
	int saved = dup(1);
	dup2(out, 1);
	close(out);
	const char *args[] = {"orvane", path.c_str()};
	int route_status = many::route(2, args, "reader_test", "reader_test");
	dup2(saved, 1);
	close(saved);
	status = wait_for(reader);
	if (route_status != 0 || status != 0) {
		printf(
		    "FAIL: interrupted writes: the route says %d, the reader "
		    "%d\n",
		    route_status, status);
		failed++;
	}
	every = {};
	setitimer(ITIMER_REAL, &every, nullptr);
	return failed;
}

} // namespace

int main()
{
	FILE *file = tmpfile();
	if (!file)
		return 2;
	std::vector<test_case> all(std::begin(cases), std::end(cases));
	all.push_back(generated());
	int failed = 0, runs = 0;
	for (const test_case &c : all) {
		for (size_t size : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 16,
		                    17, 23, 31, 64, 1 << 16}) {
			for (size_t max : {1, 2, 7, 1024}) {
				std::string got =
				    read_all(fileno(file), c.text, size, max);
				runs++;
				if (got != c.want && failed++ < 10)
					printf("FAIL: %zu bytes a read, %zu "
					       "questions a call, on:\n%s\n"
					       "got:\n%s\nwant:\n%s\n",
					       size, max, c.text.c_str(),
					       got.c_str(), c.want.c_str());
			}
		}
	}
	failed += interrupted(all.back());
	printf("reader: %d runs, %d failed\n", runs, failed);
	return failed != 0;
}
