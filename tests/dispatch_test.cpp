// The choice of a batch kernel's build from what a processor says of
// itself: a table of processors, by the cpuid words and XCR0 that each
// reports (read under qemu's models and on a Zen 4), or that a system
// saving fewer registers would leave, and the best build each is given;
// every build pinned by name on each, refused where it cannot run. Then
// this processor: the batch functions offer exactly the builds it runs,
// and a pin they refuse leaves the build in use as it was.
#include "dispatch.h"
#include "quessel.h"
#include "span.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{

struct row {
	const char *processor;
	simd::cpu words;
	const char *best;
};

constexpr uint32_t haswell_ecx = 0xfed83203, zen4_ebx = 0xf1bb03a9;
constexpr uint32_t osxsave = 1u << 27;

const row processors[] = {
    {"qemu64", {0x80002001, 0x078bfbfd, 0, 0}, "each"},
    {"Penryn: SSE4.1 alone", {0x80082201, 0x078bfbfd, 0, 0}, "each"},
    {"Nehalem: SSE4.2 without AES", {0x80982201, 0x078bfbfd, 0, 0}, "each"},
    {"Westmere: SSE4 without AVX", {0x82982203, 0x078bfbfd, 0, 0}, "sse4"},
    {"Westmere, its AES turned off", {0x80982203, 0x078bfbfd, 0, 0}, "each"},
    {"Sandy Bridge: AVX without AVX2", {0x9e982203, 0x078bfbfd, 0, 7}, "sse4"},
    {"Haswell", {haswell_ecx, 0x078bfbfd, 0x3a9, 7}, "avx2"},
    {"Haswell, its upper halves not saved",
     {haswell_ecx, 0x078bfbfd, 0x3a9, 3},
     "sse4"},
    {"Haswell, xgetbv not enabled",
     {haswell_ecx & ~osxsave, 0x078bfbfd, 0x3a9, 7},
     "sse4"},
    {"Skylake-Server as qemu models it, AVX-512 left out",
     {haswell_ecx, 0x078bfbfd, 0x019803a9, 0x207},
     "avx2"},
    {"Zen 4", {haswell_ecx, 0x178bfbff, zen4_ebx, 0xe7}, "avx512"},
    {"Zen 4, AVX-512's mask and upper registers not saved",
     {haswell_ecx, 0x178bfbff, zen4_ebx, 0x7},
     "avx2"},
    {"Zen 4, its upper 16 vector registers not saved",
     {haswell_ecx, 0x178bfbff, zen4_ebx, 0x67},
     "avx2"},
};

// The x86 builds, best first, as each batch function has them.
void no_kernel()
{
}
const simd::build<void (*)()> builds[] = {
    {"avx512", simd::needs::avx512, no_kernel},
    {"avx2", simd::needs::avx2, no_kernel},
    {"sse4", simd::needs::sse4, no_kernel},
    {"each", simd::needs::nothing, no_kernel},
};

const char *const names[] = {"avx512", "avx2", "sse4",
                             "neon",   "each", "nosuch"};

int table()
{
	int failed = 0;
	for (const row &r : processors) {
		unsigned runs = simd::x86_runs(r.words);
		const auto *best = simd::choose(builds, runs, nullptr);
		// Every build from the best on runs; none before it.
		bool from_best = false;
		for (const auto &b : builds) {
			from_best |= !strcmp(b.name, r.best);
			if ((simd::choose(builds, runs, b.name) != nullptr) !=
			    from_best) {
				printf("%s: pinned to %s, %s\n", r.processor,
				       b.name, from_best ? "refused" : "taken");
				failed++;
			}
		}
		if (strcmp(best->name, r.best) ||
		    simd::choose(builds, runs, "nosuch")) {
			printf("%s: given %s, not %s\n", r.processor,
			       best->name, r.best);
			failed++;
		}
	}
	return failed;
}

// The builds that each batch function offers here are those it takes when
// pinned, and each is the build that then runs: the loop of one question
// at a time leaves none, where a SIMD build leaves every question facing
// beyond the range that wraps.
int here(std::string &offered)
{
	int failed = 0;
	for (size_t i = 0; const char *build = quessel_many_build(i); i++)
		offered += std::string(i ? " " : "") + build;
	for (const char *name : names) {
		bool runs =
		    (" " + offered + " ").find(std::string(" ") + name + " ") !=
		    std::string::npos;
		const char *o = orvane_many_pin(name),
		           *q = quessel_many_pin(name);
		if ((o != nullptr) != runs || (q != nullptr) != runs ||
		    (runs && (strcmp(o, name) || strcmp(q, name)))) {
			printf("here: a pin to %s is %s, offered: %s\n", name,
			       o ? "taken" : "refused", offered.c_str());
			failed++;
		}
	}
	long long away[8] = {1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000},
	          zero[8] = {};
	bool got[8];
	for (const char *name : names) {
		quessel_many_pin("each");
		bool taken = quessel_many_pin(name) != nullptr;
		unsigned long long before = simd::left_total;
		quessel_many(8, away, zero, zero, zero, away, zero, got);
		bool each = simd::left_total == before;
		if (each != (!taken || !strcmp(name, "each"))) {
			printf("here: after a pin to %s, %s runs\n", name,
			       each ? "each" : "a SIMD build");
			failed++;
		}
	}
	orvane_many_pin(nullptr);
	quessel_many_pin(nullptr);
	return failed;
}

} // namespace

int main()
{
	std::string offered;
	int failed = table() + here(offered);
	// The least that this build asks of a processor, for the processor
	// models to leave out those it is too new for.
	const char *baseline =
#if defined(__AVX512F__) && defined(__AVX512VL__) && defined(__AVX512DQ__) &&  \
    defined(__AVX512BW__)
	    "avx512";
#elif defined(__AVX2__)
	    "avx2";
#elif defined(__SSE4_2__)
	    "sse4";
#else
	    "any";
#endif
	printf("dispatch: %zu processors, %d wrong; builds here: %s; baseline: "
	       "%s\n",
	       sizeof processors / sizeof *processors, failed, offered.c_str(),
	       baseline);
	return failed != 0;
}
