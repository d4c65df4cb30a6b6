// The file route and its reader on arbitrary bytes, against a plain
// reference written here from the rules alone: the same questions, or the
// same first bad line and message; from the route, the answers of the
// one-question functions, or that message and none. Never a crash, a hang
// or a sanitizer's report.
//
// Byte 0 picks the door: bit 0 the route or the reader, bit 1 the route's
// tool, bits 2-4 the reader's count of numbers; byte 1 the reader's buffer
// size, from one byte up, and byte 2 how many questions a call asks for.
// The rest is the input.
#include "orvane.h"
#include "quessel.h"
#include "reader.h"
#include "route.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace
{

struct outcome {
	std::vector<long long> numbers; // count a question, in order
	unsigned long long line = 0;    // the first at fault, or 0
	std::string why;
};

// A word's first 40 bytes, escaped where they are not printable, and an
// ellipsis for the rest.
std::string quote(const std::string &word)
{
	std::string out;
	for (size_t i = 0; i < word.size() && i < 40; i++) {
		unsigned char c = static_cast<unsigned char>(word[i]);
		char hex[8];
		snprintf(hex, sizeof hex, "\\x%02x", c);
		out += c == '\\' || c == '\'' ? std::string("\\") + word[i]
		       : c == '\r'            ? std::string("\\r")
		       : c < ' ' || c > '~'   ? std::string(hex)
		                              : std::string(1, word[i]);
	}
	return out + (word.size() > 40 ? "..." : "");
}

// Why a word is no number within 64 bits, or "" if it is one, then *value.
std::string judge(const std::string &word, bool first_in_file, bool ends_line,
                  long long *value)
{
	size_t bad = 0;
	while (bad < word.size() &&
	       (static_cast<unsigned>(word[bad] - '0') < 10 ||
	        (bad == 0 && (word[0] == '+' || word[0] == '-'))))
		bad++;
	if (bad < word.size()) {
		if (word[bad] == '\r' && bad + 1 == word.size() && ends_line)
			return "a carriage return ends the line: the file has "
			       "CRLF line endings, where each line must end in "
			       "a "
			       "bare line feed";
		if (first_in_file && bad == 0 &&
		    word.rfind("\xEF\xBB\xBF", 0) == 0)
			return "a UTF-8 byte-order mark starts the file, where "
			       "a "
			       "number must";
		return "'" + quote(word) + "' is not a decimal integer";
	}
	bool negative = word[0] == '-', sign = negative || word[0] == '+';
	if (word.size() == sign)
		return "'" + quote(word) + "' is not a decimal integer";
	unsigned __int128 magnitude = 0, most = (unsigned __int128)1 << 63;
	for (size_t i = sign; i < word.size(); i++)
		if (magnitude <= most)
			magnitude = magnitude * 10 + (word[i] - '0');
	if (magnitude > most - !negative)
		return quote(word) + " lies beyond the signed 64-bit range";
	*value = static_cast<long long>(
	    negative ? 0 - static_cast<uint64_t>(magnitude)
	             : static_cast<uint64_t>(magnitude));
	return "";
}

// The rules, a line at a time: words are runs of bytes other than blanks
// and tabs, each a decimal integer within 64 bits, count of them a line.
outcome reference(const std::string &text, int count, const char *tool)
{
	outcome o;
	for (size_t at = 0; at < text.size();) {
		o.line++;
		size_t end = text.find('\n', at);
		std::string line =
		    text.substr(at, end == std::string::npos ? end : end - at);
		at = end == std::string::npos ? text.size() : end + 1;
		std::vector<long long> numbers;
		for (size_t i = 0; i < line.size();) {
			if (line[i] == ' ' || line[i] == '\t') {
				i++;
				continue;
			}
			size_t j = line.find_first_of(" \t", i);
			j = j == std::string::npos ? line.size() : j;
			long long v = 0;
			o.why =
			    judge(line.substr(i, j - i), o.line == 1 && i == 0,
			          j == line.size(), &v);
			if (!o.why.empty())
				return o;
			numbers.push_back(v);
			i = j;
		}
		if (numbers.empty()) {
			o.why = "a blank line, where a question must be";
			return o;
		}
		if (numbers.size() != static_cast<size_t>(count)) {
			o.why = std::to_string(numbers.size()) + " number" +
			        (numbers.size() == 1 ? "" : "s") + ", but " +
			        tool + " takes " + std::to_string(count);
			return o;
		}
		o.numbers.insert(o.numbers.end(), numbers.begin(),
		                 numbers.end());
	}
	o.line = 0;
	return o;
}

int memory(const char *name)
{
	int fd = memfd_create(name, 0);
	if (fd < 0)
		abort();
	return fd;
}

void put(int fd, const std::string &text)
{
	if (ftruncate(fd, 0) ||
	    pwrite(fd, text.data(), text.size(), 0) !=
	        static_cast<ssize_t>(text.size()) ||
	    lseek(fd, 0, SEEK_SET))
		abort();
}

std::string all_of(int fd)
{
	std::string text;
	char piece[4096];
	for (off_t at = 0;; at += sizeof piece) {
		ssize_t n = pread(fd, piece, sizeof piece, at);
		if (n <= 0)
			return text;
		text.append(piece, static_cast<size_t>(n));
	}
}

const int input = memory("in"), output = memory("out"), errors = memory("err");

void reader_agrees(const std::string &text, int count, size_t size, size_t max)
{
	outcome want = reference(text, count, "trio");
	put(input, text);
	std::vector<char> buffer(size + many::reader::slack);
	many::reader r(input, count, "trio", buffer.data(), size);
	std::vector<long long> numbers(count * max), got;
	std::vector<long long *> columns;
	for (int k = 0; k < count; k++)
		columns.push_back(&numbers[k * max]);
	while (size_t n = r.read(columns.data(), max))
		for (size_t i = 0; i < n; i++)
			for (int k = 0; k < count; k++)
				got.push_back(columns[k][i]);
	// Before a fault, the questions read may stop short of it.
	bool same = r.fault_line() ? got.size() <= want.numbers.size() &&
	                                 std::equal(got.begin(), got.end(),
	                                            want.numbers.begin())
	                           : got == want.numbers;
	if (!same || r.fault_line() != want.line || r.why() != want.why ||
	    r.error()) {
		fprintf(stderr, "reader: line %llu: %s; want line %llu: %s\n",
		        r.fault_line(), r.why(), want.line, want.why.c_str());
		abort();
	}
}

void route_agrees(const std::string &text, bool radar)
{
	const char *tool = radar ? "quessel" : "orvane";
	int count = radar ? 6 : 7;
	outcome want = reference(text, count, tool);
	std::string answers, message;
	if (want.line)
		message = "fuzz: standard input:" + std::to_string(want.line) +
		          ": " + want.why + "\n";
	for (size_t i = 0; !want.line && i < want.numbers.size(); i += count) {
		const long long *q = &want.numbers[i];
		answers +=
		    radar ? quessel(q[0], q[1], q[2], q[3], q[4], q[5]) ? "1\n"
		                                                        : "0\n"
		    : orvane(q[0], q[1], q[2], q[3], q[4], q[5], q[6]) ? "1\n"
		                                                       : "0\n";
	}
	static const int saved_out = dup(1), saved_err = dup(2);
	put(input, text), put(output, ""), put(errors, "");
	dup2(input, 0), dup2(output, 1), dup2(errors, 2);
	int status = many::route(1, &tool, "fuzz", "fuzz");
	dup2(saved_out, 1), dup2(saved_err, 2);
	if (status != (want.line ? 1 : 0) || all_of(output) != answers ||
	    all_of(errors) != message) {
		fprintf(stderr, "route: status %d, said: %s; want: %s", status,
		        all_of(errors).c_str(), message.c_str());
		abort();
	}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	if (size < 3)
		return 0;
	std::string text(reinterpret_cast<const char *>(data) + 3, size - 3);
	if (data[0] & 1)
		route_agrees(text, data[0] & 2);
	else
		reader_agrees(text, 1 + (data[0] >> 2) % 7,
		              data[1] < 128 ? 1 + data[1] % 32
		                            : (data[1] - 127) * 61,
		              data[2] < 128 ? 1 + data[2] % 8 : 1024);
	return 0;
}
