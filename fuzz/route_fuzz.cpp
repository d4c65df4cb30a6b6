// The file route and its reader on arbitrary bytes, against a plain
// reference written here from the rules alone: the same questions, or the
// same first bad line and message; from the route, the answers of the
// one-question functions, or that message and none. Never a crash, a hang
// or a sanitizer's report.
//
// Byte 0 picks the door: bit 0 the route or the reader; for the route,
// bit 1 its tool, bits 2-3 whether it holds, streams or checks, bits 4-5
// its threads; for the reader, bits 2-4 its count of numbers. Byte 1 is
// the size of the reader's buffer or of the route's chunks, from one byte
// up, and byte 2 how many questions a call asks the reader for. The rest
// is the input.
#include "orvane.h"
#include "quessel.h"
#include "reader.h"
#include "route.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sanitizer/common_interface_defs.h>
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

// A line's numbers, or why it is none.
struct judged {
	std::vector<long long> numbers;
	std::string why;
};

// The rules, a line at a time: words are runs of bytes other than blanks
// and tabs, each a decimal integer within 64 bits, count of them a line.
std::vector<judged> reference_lines(const std::string &text, int count,
                                    const char *tool)
{
	std::vector<judged> lines;
	for (size_t at = 0; at < text.size();) {
		size_t end = text.find('\n', at);
		std::string line =
		    text.substr(at, end == std::string::npos ? end : end - at);
		at = end == std::string::npos ? text.size() : end + 1;
		judged j;
		for (size_t i = 0; i < line.size() && j.why.empty();) {
			if (line[i] == ' ' || line[i] == '\t') {
				i++;
				continue;
			}
			size_t e = line.find_first_of(" \t", i);
			e = e == std::string::npos ? line.size() : e;
			long long v = 0;
			j.why = judge(line.substr(i, e - i),
			              lines.empty() && i == 0, e == line.size(),
			              &v);
			j.numbers.push_back(v);
			i = e;
		}
		if (j.why.empty() && j.numbers.empty())
			j.why = "a blank line, where a question must be";
		else if (j.why.empty() &&
		         j.numbers.size() != static_cast<size_t>(count))
			j.why = std::to_string(j.numbers.size()) + " number" +
			        (j.numbers.size() == 1 ? "" : "s") + ", but " +
			        tool + " takes " + std::to_string(count);
		lines.push_back(j);
	}
	return lines;
}

// The questions up to the first line at fault, and that line.
outcome reference(const std::string &text, int count, const char *tool)
{
	outcome o;
	for (const judged &j : reference_lines(text, count, tool)) {
		o.line++;
		if (!j.why.empty()) {
			o.why = j.why;
			return o;
		}
		o.numbers.insert(o.numbers.end(), j.numbers.begin(),
		                 j.numbers.end());
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

// What a compressed file starts with, as the route names it.
const char *compressed(const std::string &text)
{
	static const std::string magic[][3] = {
	    {"\x1f\x8b\x08", "gzip", "zcat"},
	    {"BZh", "bzip2", "bzcat"},
	    {std::string("\xfd\x37\x7a\x58\x5a\x00", 6), "xz", "xzcat"},
	    {"\x28\xb5\x2f\xfd", "zstd", "zstdcat"}};
	static std::string message;
	for (const auto &m : magic)
		if (text.compare(0, m[0].size(), m[0]) == 0) {
			message =
			    m[1] + ", not questions; answer it with: " + m[2];
			return message.c_str();
		}
	return nullptr;
}

// The route, holding its answers, streaming them or checking only, on
// threads threads, against the reference: the answers, and the message of
// the first bad line, or of every one.
void route_agrees(const std::string &text, bool radar, int how, int threads,
                  size_t chunk)
{
	const char *tool = radar ? "quessel" : "orvane";
	const int count = radar ? 6 : 7;
	std::string answers, messages;
	bool bad = false;
	unsigned long long number = 0;
	if (const char *kind = compressed(text)) {
		messages =
		    std::string("fuzz: standard input: compressed with ") +
		    kind + " FILE | fuzz " + tool + "\n";
		bad = true;
	}
	for (const judged &j :
	     bad ? std::vector<judged>() : reference_lines(text, count, tool)) {
		number++;
		if (!j.why.empty()) {
			messages +=
			    "fuzz: standard input:" + std::to_string(number) +
			    ": " + j.why + "\n";
			bad = true;
			if (how != 2)
				break;
			continue;
		}
		const long long *q = j.numbers.data();
		answers +=
		    (radar ? quessel(q[0], q[1], q[2], q[3], q[4], q[5])
		           : orvane(q[0], q[1], q[2], q[3], q[4], q[5], q[6]))
		        ? "1\n"
		        : "0\n";
	}
	if (how == 2 || (how == 0 && bad))
		answers.clear();
	static const int saved_out = dup(1), saved_err = dup(2);
	// A sanitizer's report, while standard error is caught, to the real
	// one.
	__sanitizer_set_report_fd(
	    reinterpret_cast<void *>(static_cast<intptr_t>(saved_err)));
	put(input, text), put(output, ""), put(errors, "");
	dup2(input, 0), dup2(output, 1), dup2(errors, 2);
	const std::string many = std::to_string(threads);
	const char *args[] = {"--threads", many.c_str(), tool, tool};
	if (how)
		args[2] = how == 1 ? "--stream" : "--check";
	many::settings s;
	s.chunk = chunk;
	const int status = many::route(how ? 4 : 3, args, "fuzz", "fuzz", s);
	dup2(saved_out, 1), dup2(saved_err, 2);
	if (status != bad || all_of(output) != answers ||
	    all_of(errors) != messages) {
		fprintf(stderr,
		        "route, %d threads, chunks of %zu, way %d: "
		        "status %d, said: %s; want: %s",
		        threads, chunk, how, status, all_of(errors).c_str(),
		        messages.c_str());
		abort();
	}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	if (size < 3)
		return 0;
	std::string text(reinterpret_cast<const char *>(data) + 3, size - 3);
	const size_t chunk =
	    data[1] < 128 ? 1 + data[1] % 32 : (data[1] - 127) * 61;
	if (data[0] & 1)
		route_agrees(text, data[0] & 2, (data[0] >> 2 & 3) % 3,
		             1 + (data[0] >> 4 & 3) % 3, chunk);
	else
		reader_agrees(text, 1 + (data[0] >> 2) % 7, chunk,
		              data[2] < 128 ? 1 + data[2] % 8 : 1024);
	return 0;
}
