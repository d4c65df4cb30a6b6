// The batch function of a tool, BATCH_many, its builds and the choice among
// them, for the tool's batch source to include, with BATCH naming the tool,
// BATCH_COLUMNS(column) giving column(name) for each of its numbers in
// order, and HWY_TARGET_INCLUDE naming its kernel's -inl.h, which
// specializes spans::decision for BATCH_tag; and BATCH_one(columns, i),
// asking question i alone, defined first. This builds the kernel for each
// target, and defines each, the loop of one question at a time that every
// processor runs, and BATCH_many_build and BATCH_many_pin (dispatch.h).
#include "dispatch.h"

#define BATCH_JOIN(a, b) a##b
#define BATCH_NAME(a, b) BATCH_JOIN(a, b)
#define BATCH_TAG BATCH_NAME(BATCH, _tag)
struct BATCH_TAG;

#if ORVANE_QUESSEL_SIMD
#include "hwy/foreach_target.h" // IWYU pragma: keep
#include "hwy/highway.h"
// foreach_target.h built every target but the static one, which is this.
#include HWY_TARGET_INCLUDE
#endif

namespace
{

using kernel = void (*)(size_t, const long long *const *, bool *);

void each(size_t n, const long long *const *columns, bool *answers)
{
	for (size_t i = 0; i < n; i++)
		answers[i] = BATCH_NAME(BATCH, _one)(columns, i);
}

// Where Highway builds no kernel for a target, its entry is null, and never
// chosen.
constexpr simd::build<kernel> builds[] = {
#if ORVANE_QUESSEL_SIMD
    SIMD_TARGET_BUILDS(spans::many<BATCH_TAG>),
#endif
    {"each", simd::needs::nothing, each},
};

simd::dispatch<kernel, sizeof builds / sizeof *builds> chosen(builds);

} // namespace

const char *BATCH_NAME(BATCH, _many_build)(size_t i)
{
	return chosen.name(i);
}

const char *BATCH_NAME(BATCH, _many_pin)(const char *name)
{
	return chosen.pin(name);
}

#define BATCH_PARAMETER(name) const long long *name,
#define BATCH_COLUMN(name) name,

void BATCH_NAME(BATCH, _many)(size_t n,
                              BATCH_COLUMNS(BATCH_PARAMETER) bool *answers)
{
	const long long *const columns[] = {BATCH_COLUMNS(BATCH_COLUMN)};
	chosen.kernel()(n, columns, answers);
}
