// orvane_many and quessel_many on more than 2^32 questions in one call,
// through the public headers: every answer past 2^32, and a sample before
// it, against the one-question functions. A count of any size_t is theirs
// to take; an index kept in 32 bits would answer question i into i - 2^32.
//
// 32 GiB of columns in about 100 MB: the columns are one region read at
// seven offsets, column k of question i at region[i + k * sample], so that
// the sample before 2^32 and the questions past it each lie whole in a
// small block of memory of their own; between them, one filler block is
// mapped again and again, and so is one block of answers.
#include "orvane.h"
#include "quessel.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <sys/mman.h>
#include <unistd.h>

namespace
{

constexpr size_t sample = size_t{1} << 18, past = sample - 3,
                 n = (size_t{1} << 32) + past, filler = size_t{1} << 17,
                 answer_block = size_t{1} << 22;
constexpr unsigned char unset = 0x55;

std::mt19937_64 next(1);

long long pick(long long lo, long long hi)
{
	uint64_t span = static_cast<uint64_t>(hi) - static_cast<uint64_t>(lo);
	return static_cast<long long>(static_cast<uint64_t>(lo) +
	                              next() % (span + 1));
}

// Questions that the kernels decide a vector at a time, and those they
// leave to the one-question predicates: beyond orvane's unchecked reach
// but within 64 bits, and quessel's point on the radar or on a bound.
void question(long long *q, int tool)
{
	int scale = static_cast<int>(pick(1, 62));
	for (int k = 0; k < 7; k++)
		q[k] = pick(-(1LL << scale), 1LL << scale);
	switch (next() % 4) {
	case 0: // far out, and nearing a circle on its line
		q[0] = pick(1LL << 31, 1LL << 40), q[1] = pick(-9, 9);
		q[2] = q[0] + pick(1, 9), q[3] = q[1], q[4] = q[0] + 100;
		q[5] = q[1] + pick(-1, 1), q[6] = pick(0, 2);
		break;
	case 1: // on the radar, or on the bound at 0 degrees
		q[0] = q[2] = pick(-9, 9), q[1] = q[3] = pick(-9, 9);
		q[0] += next() % 2 * pick(1, 9);
		q[4] = pick(0, 3), q[5] = 2 * q[4] + pick(0, 1);
		break;
	case 2: // facing within a turn
		q[4] = pick(-360, 720), q[5] = pick(-2, 400);
		break;
	}
	if (tool == 1 && next() % 8 == 0) // beyond the range that wraps
		q[4] = pick(541, 2000);
}

bool ask(int tool, const long long *const *c, size_t i)
{
	return tool == 0 ? orvane(c[0][i], c[1][i], c[2][i], c[3][i], c[4][i],
	                          c[5][i], c[6][i])
	                 : quessel(c[0][i], c[1][i], c[2][i], c[3][i], c[4][i],
	                           c[5][i]);
}

// The same pages of fd at every block of [from, to), and where a part of a
// block is left, fresh memory.
bool map_again(char *from, const char *to, int fd, size_t block)
{
	for (; from + block <= to; from += block)
		if (mmap(from, block, PROT_READ | PROT_WRITE,
		         MAP_SHARED | MAP_FIXED | MAP_POPULATE, fd,
		         0) == MAP_FAILED)
			return false;
	return from == to || mmap(from, static_cast<size_t>(to - from),
	                          PROT_READ | PROT_WRITE,
	                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
	                          0) != MAP_FAILED;
}

int block_of(size_t bytes)
{
	int fd = memfd_create("past_2_32", MFD_CLOEXEC);
	return fd >= 0 && ftruncate(fd, static_cast<off_t>(bytes)) == 0 ? fd
	                                                                : -1;
}

} // namespace

int main()
{
	static_assert(sizeof(size_t) == 8, "a 64-bit count");
#if SANITIZED || !defined(__OPTIMIZE__)
	puts("skipped: a minute's work optimised, many unoptimised or under "
	     "the sanitizers, where the other tests ask the same code");
	return 77;
#endif
	const size_t region = n + 6 * sample + 1;
	void *v = mmap(nullptr, region * 8, PROT_READ | PROT_WRITE,
	               MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
	void *a = mmap(nullptr, n + 1, PROT_READ | PROT_WRITE,
	               MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
	if (v == MAP_FAILED || a == MAP_FAILED) {
		printf("skipped: no room for %zu GiB of address space: %s\n",
		       (region * 8 + n) >> 30, strerror(errno));
		return 77;
	}
	auto *values = static_cast<long long *>(v);
	auto *answers = static_cast<unsigned char *>(a);
	long long *columns[7];
	for (int k = 0; k < 7; k++)
		columns[k] = values + k * sample;

	// Filler that both tools decide a vector at a time, every value from
	// -1000 to -2, so that whichever block a column starts in: orvane's
	// centre on its start, which no step nears; quessel's width below -1,
	// which holds nothing.
	int fill = block_of(filler * 8), held = block_of(answer_block);
	auto *f =
	    fill < 0
	        ? nullptr
	        : static_cast<long long *>(mmap(nullptr, filler * 8, PROT_WRITE,
	                                        MAP_SHARED, fill, 0));
	if (!f || f == MAP_FAILED || held < 0 ||
	    !map_again(reinterpret_cast<char *>(values + 7 * sample),
	               reinterpret_cast<char *>(values + (size_t{1} << 32)),
	               fill, filler * 8)) {
		printf("cannot map the filler: %s\n", strerror(errno));
		return 1;
	}
	for (size_t j = 0; j < filler; j++)
		f[j] = pick(-1000, -2);
	if (!map_again(reinterpret_cast<char *>(answers + sample),
	               reinterpret_cast<char *>(answers + (size_t{1} << 32)),
	               held, answer_block)) {
		printf("cannot map the answers: %s\n", strerror(errno));
		return 1;
	}

	long long failed = 0;
	for (int tool = 0; tool < 2; tool++) {
		for (size_t first : {size_t{0}, size_t{1} << 32})
			for (size_t j = 0; j < (first ? past : sample); j++) {
				long long q[7];
				question(q, tool);
				for (int k = 0; k < 7; k++)
					columns[k][first + j] = q[k];
			}
		memset(answers, unset, sample);
		memset(answers + (size_t{1} << 32), unset, past + 1);
		if (tool == 0)
			orvane_many(n, columns[0], columns[1], columns[2],
			            columns[3], columns[4], columns[5],
			            columns[6],
			            reinterpret_cast<bool *>(answers));
		else
			quessel_many(n, columns[0], columns[1], columns[2],
			             columns[3], columns[4], columns[5],
			             reinterpret_cast<bool *>(answers));
		const char *name = tool == 0 ? "orvane_many" : "quessel_many";
		for (size_t first : {size_t{0}, size_t{1} << 32})
			for (size_t i = first;
			     i < first + (first ? past : sample); i++) {
				unsigned char want = ask(tool, columns, i);
				if (answers[i] != want && failed++ < 10)
					printf("%s: question %zu: got %d, want "
					       "%d\n",
					       name, i, answers[i], want);
			}
		if (answers[n] != unset) {
			printf("%s: wrote past its answers\n", name);
			failed++;
		}
	}
	printf("past_2_32: %zu questions, each tool; %zu before 2^32 and %zu "
	       "past it checked; %lld wrong\n",
	       n, sample, past, failed);
	return failed != 0;
}
