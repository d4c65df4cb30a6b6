// The file route in-process on files of good and bad lines, for every
// number of threads and every size of chunk, from the least, which leaves
// every line to the careful reader, to a mebibyte: the same answers,
// messages and status as one thread with whole chunks gives, in each way
// of answering. The good files' answers are the one-question functions'.
#include "orvane.h"
#include "quessel.h"
#include "route.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace
{

std::mt19937_64 next(1);

// A number at any scale, with a sign, leading zeros or none.
std::string number(long long *value)
{
	long long v = static_cast<long long>(next() >> (next() % 64));
	v = next() & 1 ? -v : v;
	*value = v;
	std::string digits =
	    std::to_string(v < 0 ? 0 - static_cast<unsigned long long>(v)
	                         : static_cast<unsigned long long>(v));
	return (v < 0        ? "-"
	        : next() % 4 ? ""
	                     : "+") +
	       std::string(next() % 5 ? 0 : next() % 30, '0') + digits;
}

// count numbers with blanks and tabs between; and the answer of tool.
std::string question(int count, bool *answer)
{
	std::string line;
	long long v[7];
	for (int k = 0; k < count; k++)
		line += std::string(k > 0 || next() % 8 == 0,
		                    next() & 1 ? ' ' : '\t') +
		        number(&v[k]);
	*answer = count == 7 ? orvane(v[0], v[1], v[2], v[3], v[4], v[5], v[6])
	                     : quessel(v[0], v[1], v[2], v[3], v[4], v[5]);
	return line + std::string(next() % 3 == 0, ' ');
}

int memory(const char *name)
{
	int fd = memfd_create(name, 0);
	if (fd < 0)
		abort();
	return fd;
}

std::string all_of(int fd)
{
	std::string text;
	char piece[1 << 14];
	for (off_t at = 0;; at += sizeof piece) {
		ssize_t n = pread(fd, piece, sizeof piece, at);
		if (n <= 0)
			return text;
		text.append(piece, static_cast<size_t>(n));
	}
}

struct outcome {
	int status;
	std::string out, err;
	bool operator!=(const outcome &o) const
	{
		return status != o.status || out != o.out || err != o.err;
	}
};

// The route on the file at path, with standard output and error caught.
outcome route_on(const char *path, const char *tool, const char *how,
                 int threads, size_t chunk)
{
	static const int out = memory("out"), err = memory("err"),
	                 saved_out = dup(1), saved_err = dup(2);
	if (ftruncate(out, 0) || ftruncate(err, 0) || lseek(out, 0, SEEK_SET) ||
	    lseek(err, 0, SEEK_SET))
		abort();
	std::string many = std::to_string(threads);
	const char *args[] = {"--threads", many.c_str(), how, tool, path};
	const bool plain = !*how;
	const char *without[] = {"--threads", many.c_str(), tool, path};
	dup2(out, 1), dup2(err, 2);
	many::settings s;
	s.chunk = chunk;
	int status = plain ? many::route(4, without, "t", "t", s)
	                   : many::route(5, args, "t", "t", s);
	dup2(saved_out, 1), dup2(saved_err, 2);
	return {status, all_of(out), all_of(err)};
}

} // namespace

int main()
{
	char path[] = "/tmp/route_test.XXXXXX";
	int fd = mkstemp(path);
	if (fd < 0)
		return 2;
	struct file {
		const char *what;
		int count;
		std::string text, answers;
	};
	std::vector<file> files;
	for (int count : {7, 6}) {
		file good = {"good", count, "", ""};
		for (int i = 0; i < 800; i++) {
			bool yes;
			good.text += question(count, &yes) + "\n";
			good.answers += yes ? "1\n" : "0\n";
		}
		files.push_back(good);
		// Its last line without a newline, and a line longer than
		// most chunks, of blanks.
		std::string open = good.text,
		            zeros = "0" + std::string(9000, ' ');
		open.pop_back();
		for (int k = 1; k < count; k++)
			zeros += " 0";
		open.insert(open.find('\n', 5000) + 1, zeros + "\n");
		files.push_back(
		    {"no last newline, a long line", count, open, ""});
		// Bad lines early, late, long, and one of each kind.
		std::string bad = good.text;
		for (const char *line :
		     {"1 2 x\n", "\n", " \t\n", "1 2 3\r\n",
		      "99999999999999999999\n", "+\n", "1 2 3 4 5 6 7 8\n"}) {
			bad.insert(bad.find('\n', next() % bad.size()) + 1,
			           line);
		}
		bad.insert(bad.find('\n', 100) + 1,
		           std::string(7000, '9') + " 1\n");
		files.push_back({"bad lines", count, bad, ""});
		files.push_back({"a byte-order mark", count,
		                 "\xEF\xBB\xBF" + good.text, ""});
	}

	int failed = 0, runs = 0;
	for (const file &f : files) {
		if (ftruncate(fd, 0) ||
		    pwrite(fd, f.text.data(), f.text.size(), 0) !=
		        static_cast<ssize_t>(f.text.size()))
			return 2;
		const char *tool = f.count == 7 ? "orvane" : "quessel";
		for (const char *how : {"", "--stream", "--check"}) {
			const outcome want =
			    route_on(path, tool, how, 1, 1 << 20);
			if (!f.answers.empty() && *how != '-' &&
			    want.out != f.answers) {
				printf("FAIL: %s, %s: answers not the "
				       "predicates'\n",
				       tool, f.what);
				failed++;
			}
			for (int threads : {1, 2, 3})
				for (size_t chunk : {1, 9, 64, 4096, 1 << 20}) {
					runs++;
					outcome got = route_on(path, tool, how,
					                       threads, chunk);
					if (got != want && failed++ < 10)
						printf(
						    "FAIL: %s, %s, %s, %d "
						    "threads, chunks "
						    "of %zu: status %d, %zu "
						    "bytes out, "
						    "said: %.300s\nwant status "
						    "%d, %zu "
						    "bytes out, said: %.300s\n",
						    tool, f.what,
						    *how ? how : "held",
						    threads, chunk, got.status,
						    got.out.size(),
						    got.err.c_str(),
						    want.status,
						    want.out.size(),
						    want.err.c_str());
				}
		}
	}
	unlink(path);
	printf("route: %zu files, %d runs, %d failed\n", files.size(), runs,
	       failed);
	return failed != 0;
}
