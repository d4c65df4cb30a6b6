// The block reader against many::reader, the reference for every rule and
// message: for each build this processor runs, on hand-written cases, on
// random files of good and bad lines fed whole and in pieces of every size,
// and, with every fault noted, against the reader run on each line alone.
// Optional argument: how many times the default amount of random files.
#include "block.h"
#include "reader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace
{

int failures = 0;

void fail(const char *what, const std::string &text, const std::string &got,
          const std::string &want)
{
	if (failures++ >= 8)
		return;
	std::string shown =
	    text.size() > 600 ? text.substr(0, 600) + "..." : text;
	printf("FAIL: %s\non: [", what);
	fwrite(shown.data(), 1, shown.size(), stdout);
	printf("]\ngot:  %s\nwant: %s\n", got.c_str(), want.c_str());
}

// Good rows, and the bad lines by number from 1 with their messages.
struct outcome {
	std::vector<long long> values;
	std::vector<std::pair<unsigned long long, std::string>> faults;

	bool operator==(const outcome &o) const
	{
		return values == o.values && faults == o.faults;
	}

	// Where it differs from o, shortly.
	std::string differs(const outcome &o) const
	{
		std::string s = std::to_string(values.size()) + " values";
		size_t i = 0;
		while (i < values.size() && i < o.values.size() &&
		       values[i] == o.values[i])
			i++;
		if (i < values.size())
			s += ", #" + std::to_string(i) + " = " +
			     std::to_string(values[i]);
		s += "; " + std::to_string(faults.size()) + " faults";
		size_t k = 0;
		while (k < faults.size() && k < o.faults.size() &&
		       faults[k] == o.faults[k])
			k++;
		if (k < faults.size())
			s += ", #" + std::to_string(k) + " line " +
			     std::to_string(faults[k].first) + ": " +
			     faults[k].second;
		return s;
	}
};

int memfd = -1;
many::block_room *room = many::new_block_room();

// The reader over the whole text, a question a call so that the questions
// before its fault are kept too.
outcome by_reader(const std::string &text, int count, const char *tool,
                  size_t buffer)
{
	if (ftruncate(memfd, 0) ||
	    pwrite(memfd, text.data(), text.size(), 0) !=
	        static_cast<ssize_t>(text.size()) ||
	    lseek(memfd, 0, SEEK_SET))
		abort();
	std::vector<char> space(buffer + many::reader::slack);
	many::reader in(memfd, count, tool, space.data(), buffer);
	std::vector<long long> row(count);
	std::vector<long long *> columns(count);
	for (int k = 0; k < count; k++)
		columns[k] = &row[k];
	outcome o;
	while (in.read(columns.data(), 1))
		o.values.insert(o.values.end(), row.begin(), row.end());
	if (in.fault_line())
		o.faults.emplace_back(in.fault_line(), in.why());
	return o;
}

std::vector<std::string> lines_of(const std::string &text, bool *last_open)
{
	std::vector<std::string> lines;
	size_t at = 0;
	while (at < text.size()) {
		size_t nl = text.find('\n', at);
		if (nl == std::string::npos) {
			lines.push_back(text.substr(at));
			*last_open = true;
			return lines;
		}
		lines.push_back(text.substr(at, nl - at));
		at = nl + 1;
	}
	*last_open = false;
	return lines;
}

// Every bad line, as the reader finds each alone: after a good line but
// for the first, so that only the first may be at the file's start.
outcome by_reader_each_line(const std::string &text, int count,
                            const char *tool)
{
	bool last_open;
	std::vector<std::string> lines = lines_of(text, &last_open);
	std::string good;
	for (int k = 0; k < count; k++)
		good += k ? " 0" : "0";
	good += "\n";
	outcome all;
	for (size_t i = 0; i < lines.size(); i++) {
		bool open = last_open && i + 1 == lines.size();
		std::string one =
		    (i ? good : "") + lines[i] + (open ? "" : "\n");
		outcome o = by_reader(one, count, tool, 1 << 16);
		if (i)
			o.values.erase(
			    o.values.begin(),
			    o.values.begin() +
			        std::min<size_t>(count, o.values.size()));
		all.values.insert(all.values.end(), o.values.begin(),
		                  o.values.end());
		for (auto &f : o.faults)
			all.faults.emplace_back(i + 1, f.second);
	}
	return all;
}

// How the block reader is fed: pieces of piece bytes, or of 1 to spread
// bytes at random when piece is 0, and max rows a call.
struct feeding {
	size_t piece, spread, max;
	bool every;
};

// The block reader over text fed as f says, each piece followed by what it
// left; the result's invariants checked on the way.
outcome by_blocks(const std::string &text, int count, const char *tool,
                  const feeding &f, std::mt19937_64 &next, bool *broken)
{
	// No more rows than lines are asked for: room for more is no test.
	const size_t max = std::min<size_t>(
	    f.max, std::count(text.begin(), text.end(), '\n') + 1);
	std::vector<long long> store(static_cast<size_t>(count) * max);
	std::vector<long long *> columns(count);
	for (int k = 0; k < count; k++)
		columns[k] = &store[static_cast<size_t>(k) * max];
	outcome o;
	size_t pos = 0, line = 0, size = text.size();
	// Each bad line noted where it starts, and read on past it or not.
	struct noted {
		std::vector<std::pair<size_t, size_t>> lines;
		bool every;
	} bad = {{}, f.every};
	const auto note = [](void *context, size_t at, size_t offset) {
		auto *n = static_cast<noted *>(context);
		n->lines.emplace_back(at, offset);
		return n->every;
	};
	while (pos < size) {
		size_t want = f.piece ? f.piece : 1 + next() % f.spread;
		size_t end = std::min(size, pos + want);
		many::block_result r;
		for (;;) {
			bad.lines.clear();
			many::block_options opt = {count, tool, pos == 0,
			                           end == size};
			r = many::read_block(text.data() + pos, end - pos, opt,
			                     columns.data(), max, {note, &bad},
			                     room);
			if (r.lines || r.stopped || end == size)
				break;
			end = std::min(size, pos + 2 * (end - pos) + 1);
		}
		const size_t faults = bad.lines.size();
		bool ok = r.rows <= max && r.bytes <= end - pos &&
		          (r.bytes == 0 || pos + r.bytes == size ||
		           text[pos + r.bytes - 1] == '\n') &&
		          (f.every ? !r.stopped && r.lines == r.rows + faults
		                   : r.lines == r.rows &&
		                         faults == (r.stopped ? 1u : 0u));
		if (!ok || (r.lines == 0 && !r.stopped)) {
			*broken = true;
			return o;
		}
		for (size_t i = 0; i < r.rows; i++)
			for (int k = 0; k < count; k++)
				o.values.push_back(columns[k][i]);
		for (const auto &x : bad.lines) {
			const size_t from = pos + x.second,
			             to = std::min(text.find('\n', from), size);
			char why[256];
			many::why_not(text.data() + from, text.data() + to,
			              from == 0, count, tool, why);
			o.faults.emplace_back(line + x.first + 1, why);
		}
		if (r.stopped)
			break;
		pos += r.bytes;
		line += r.lines;
	}
	return o;
}

// ---- Random files ----

using rng = std::mt19937_64;

size_t below(rng &next, size_t n)
{
	return static_cast<size_t>(next() % n);
}

std::string blanks(rng &next, size_t most)
{
	std::string s(1 + below(next, most), ' ');
	for (char &c : s)
		if (next() & 1)
			c = '\t';
	return s;
}

const char *const edges[] = {
    "0",
    "1",
    "9",
    "10",
    "99999999",
    "100000000",
    "9999999999999999",
    "10000000000000000",
    "99999999999999999",
    "999999999999999999",
    "1000000000000000000",
    "9223372036854775806",
    "9223372036854775807",
    "9223372036854775808",
    "9223372036854775809",
    "9223372036854775810",
    "9999999999999999999",
    "10000000000000000000",
    "18446744073709551615",
    "18446744073709551616",
    "18446744073709551617",
    "92233720368547758070",
    "99999999999999999999",
    "184467440737095516160",
    "9220000000000000000",
    "9230000000000000000",
    // Past 24 digits, the most that one window takes.
    "100000000000000000000000",
    "1000000000000000000000000",
    "9000000000000000000000001",
    "10000000000000000000000000",
};

// A number as a file may hold it: a sign or none, leading zeros now and
// then, any length of digits; in range only if wild is false.
std::string number(rng &next, bool wild)
{
	std::string digits;
	bool negative;
	for (;;) {
		negative = next() & 1;
		size_t kind = below(next, 10);
		if (kind < 6) {
			uint64_t v = next() >> below(next, 64);
			if (!negative)
				v >>= 1;
			else if (v > (uint64_t(1) << 63))
				v >>= 1;
			digits = std::to_string(v);
		} else if (kind < 8) {
			digits =
			    edges[below(next, sizeof edges / sizeof *edges)];
		} else {
			size_t n = 1 + below(next, wild ? 26 : 19);
			for (size_t i = 0; i < n; i++)
				digits +=
				    static_cast<char>('0' + below(next, 10));
		}
		if (wild)
			break;
		// In range: compare as equal-length strings of digits.
		std::string d = digits.substr(
		    std::min(digits.find_first_not_of('0'), digits.size()));
		const char *limit =
		    negative ? "9223372036854775808" : "9223372036854775807";
		if (d.size() < 19 || (d.size() == 19 && d <= limit))
			break;
	}
	size_t zeros = below(next, 20);
	if (zeros >= 17)
		digits = std::string(1 + below(next, 40), '0') + digits;
	else if (zeros >= 14)
		digits = std::string(1 + below(next, 4), '0') + digits;
	const char *sign = negative ? "-" : below(next, 4) == 0 ? "+" : "";
	return sign + digits;
}

// A line of count numbers in range, but for the wild-th, which may be
// beyond it.
std::string good_line(rng &next, int count, bool wide, int wild = -1)
{
	std::string s;
	if (below(next, 5) == 0)
		s += blanks(next, 3);
	for (int k = 0; k < count; k++) {
		if (k)
			s += below(next, 3) ? std::string(1, " \t"[next() & 1])
			                    : blanks(next, wide ? 20000 : 6);
		s += number(next, k == wild);
	}
	if (below(next, 5) == 0)
		s += blanks(next, 3);
	return s;
}

const char *const oddities[] = {
    "\r", "(a NUL)", "\x7f", "\xff", "\x80",
    "x",  ".",       ",",    "+",    "-",
    "\\", "'",       "\v",   "\f",   "\xEF\xBB\xBF",
    "e",  "/",       ":",    "\r\r", "+-",
    "--", "0x",      "\x01",
};

std::string oddity(rng &next)
{
	size_t i = below(next, sizeof oddities / sizeof *oddities + 2);
	if (i == 1)
		return std::string("\0", 1);
	if (i >= sizeof oddities / sizeof *oddities) {
		char c;
		do
			c = static_cast<char>(next());
		while (c == '\n');
		return std::string(1, c);
	}
	return oddities[i];
}

// A line with something wrong, or maybe right after all.
std::string bad_line(rng &next, int count, bool wide)
{
	std::string s = good_line(next, count, wide);
	switch (below(next, 14)) {
	case 0:
		s.insert(below(next, s.size() + 1), oddity(next));
		break;
	case 1:
		if (!s.empty())
			s.replace(below(next, s.size()), 1, oddity(next));
		break;
	case 2:
		s += below(next, 4) ? "\r" : "\r ";
		break;
	case 3:
		s += (below(next, 2) ? " " : "") + number(next, false);
		break;
	case 4: {
		size_t blank = s.find_last_of(" \t");
		if (blank != std::string::npos)
			s.erase(blank);
		else
			s.clear();
		break;
	}
	case 5:
		s = below(next, 2) ? "" : blanks(next, 5);
		break;
	case 6: {
		// One word wild, maybe beyond range.
		size_t at = below(next, s.size() + 1);
		s.insert(at, " " + number(next, true) + " ");
		break;
	}
	case 7:
		s.insert(below(next, s.size() + 1),
		         std::string(1, "+-"[next() & 1]) +
		             (below(next, 2) ? " " : ""));
		break;
	case 8: {
		// A long word of oddities and digits.
		std::string w;
		size_t n = 30 + below(next, 40);
		for (size_t i = 0; i < n; i++)
			w += below(next, 3)
			         ? std::string(1, '0' + below(next, 10))
			         : oddity(next);
		s.insert(below(next, s.size() + 1), w);
		break;
	}
	case 9:
		s = "\xEF\xBB\xBF" + (below(next, 2) ? std::string(" ") : "") +
		    s;
		break;
	case 10:
		s.insert(0, oddity(next));
		break;
	case 11:
		s += " " + number(next, true);
		break;
	default:
		s = good_line(
		    next, count, wide,
		    static_cast<int>(below(next, count > 0 ? count : 1)));
		break;
	}
	return s;
}

// A file of lines, bad ones at bad_rate (per thousand), now and then a
// byte-order mark first and no newline last.
std::string file(rng &next, int count, size_t lines, unsigned bad_rate,
                 unsigned wide_rate)
{
	std::string s;
	if (below(next, 20) == 0)
		s += "\xEF\xBB\xBF";
	for (size_t i = 0; i < lines; i++) {
		bool wide = below(next, 1000) < wide_rate;
		s += below(next, 1000) < bad_rate
		         ? bad_line(next, count, wide)
		         : good_line(next, count, wide);
		s += '\n';
	}
	switch (below(next, 6)) {
	case 0:
		if (!s.empty())
			s.pop_back();
		break;
	case 1:
		s += blanks(next, 3);
		break;
	case 2:
		s += bad_line(next, count, false);
		break;
	}
	return s;
}

const char *build_name = "";

// One file, by every feeding, against the reader.
void compare(const std::string &text, int count, const char *tool, rng &next)
{
	outcome want = by_reader(text, count, tool, 1 + below(next, 1 << 17));
	const feeding feeds[] = {
	    {text.size() + 1, 0, 1 << 20, false}, // whole
	    {0, 300, 1 + below(next, 9), false},  // small pieces, few rows
	    {0, 70000, 1 << 20, false},           // pieces across regions
	};
	for (const feeding &f : feeds) {
		bool broken = false;
		outcome got = by_blocks(text, count, tool, f, next, &broken);
		if (broken || !(got == want)) {
			std::string what = std::string(build_name) +
			                   ", count " + std::to_string(count) +
			                   ", pieces " +
			                   std::to_string(f.piece) + "/" +
			                   std::to_string(f.spread) + ", max " +
			                   std::to_string(f.max) +
			                   (broken ? ", broken invariant" : "");
			fail(what.c_str(), text, got.differs(want),
			     want.differs(got));
			return;
		}
	}
}

void compare_every(const std::string &text, int count, const char *tool,
                   rng &next)
{
	outcome want = by_reader_each_line(text, count, tool);
	const feeding feeds[] = {
	    {text.size() + 1, 0, 1 << 20, true},
	    {0, 500, 1 + below(next, 5), true},
	};
	for (const feeding &f : feeds) {
		bool broken = false;
		outcome got = by_blocks(text, count, tool, f, next, &broken);
		if (broken || !(got == want)) {
			std::string what = std::string(build_name) +
			                   ", every fault, count " +
			                   std::to_string(count) +
			                   (broken ? ", broken invariant" : "");
			fail(what.c_str(), text, got.differs(want),
			     want.differs(got));
			return;
		}
	}
}

// ---- Hand-written cases, three numbers a line for "trio" ----

// A wrong count named by a tool whose name fills the message: both cut it
// at the same byte.
void long_tool(rng &next)
{
	std::string tool(300, 't');
	compare("1 2\n", 3, tool.c_str(), next);
	compare_every("1 2\n1 2 3\n1\n", 3, tool.c_str(), next);
}

// Lines whose words, signs, bad bytes and newlines fall on every side of
// the 64-byte chunks and of the regions.
void boundaries(int count, rng &next)
{
	for (size_t shift = 0; shift < 140; shift++) {
		std::string lead = std::string(shift, ' ') + "1";
		for (int k = 1; k < count; k++)
			lead += " 1";
		for (const char *tail :
		     {"-", "+", "+5", "12345678901234567", "x", "\r", "-\r",
		      "9223372036854775808", "00000000000000000000000001"}) {
			std::string text = lead + "\n";
			std::string line;
			for (int k = 1; k < count; k++)
				line += "7 ";
			line += tail;
			text += line + "\n" + line;
			compare(text, count, "tool", next);
			compare_every(text, count, "tool", next);
		}
	}
	// Near the ends of the first regions.
	for (size_t at = 3990; at < 8300; at += at % 4096 < 3900 ? 3500 : 7) {
		std::string text;
		while (text.size() < at)
			text += good_line(next, count, false) + "\n";
		text += bad_line(next, count, false) + "\n";
		text += good_line(next, count, false);
		compare(text, count, "tool", next);
		compare_every(text, count, "tool", next);
	}
}

} // namespace

int main(int argc, char **argv)
{
	double scale = argc > 1 ? atof(argv[1]) : 1;
	memfd = memfd_create("block_test", 0);
	if (memfd < 0)
		return 2;
	int builds = 0;
	for (size_t b = 0; const char *name = many::block_build(b); b++) {
		builds++;
		build_name = many::block_pin(name);
		if (!build_name || strcmp(build_name, name)) {
			printf("FAIL: %s does not pin\n", name);
			failures++;
			continue;
		}
		rng next(b + 1);
		long_tool(next);
		// The counts the tools take, then some the kernels treat
		// another way: none, and more than they unroll for.
		for (int count : {1, 2, 3, 4, 5, 6, 7, 8, 0, 9, 12}) {
			const bool usual = count >= 1 && count <= 7;
			if (usual)
				boundaries(count, next);
			size_t files =
			    static_cast<size_t>((usual ? 300 : 40) * scale);
			for (size_t i = 0; i < files; i++) {
				// Short files, often bad early; long ones,
				// seldom bad; some with lines of long blank
				// runs, past a region.
				size_t n = i % 3 == 0 ? 1 + below(next, 30)
				                      : 1 + below(next, 800);
				unsigned bad = i % 3 == 0   ? 300
				               : i % 3 == 1 ? 2
				                            : 30;
				unsigned wide = i % 50 == 0 ? 20 : 0;
				std::string text =
				    file(next, count, n, bad, wide);
				compare(text, count, "tool", next);
				// With no numbers a line, the good line that
				// the reader is given first would be bad.
				if (i % 2 == 0 && count > 0) {
					std::string every = file(
					    next, count, 1 + below(next, 200),
					    400, wide);
					compare_every(every, count, "tool",
					              next);
				}
			}
		}
		printf("%s: checked\n", name);
	}
#if ORVANE_QUESSEL_SIMD && (defined(__x86_64__) || defined(__aarch64__))
	// A SIMD build runs on any of these, besides the portable one.
	if (builds < 2) {
		printf("FAIL: only %d builds\n", builds);
		failures++;
	}
#endif
	printf("block_reader: %d builds, %d failed\n", builds, failures);
	return failures != 0;
}
