// The builds of a batch kernel and the choice among them, for its source to
// include once Highway is done with it, with BATCH naming the tool: its
// kernel is BATCH_batch::N_TARGET::many, its loop of one question at a
// time each, their type kernel; this defines BATCH_many_build and
// BATCH_many_pin (dispatch.h), and chosen, for BATCH_many to call.
#include "dispatch.h"

#define BATCH_JOIN(a, b) a##b
#define BATCH_NAME(a, b) BATCH_JOIN(a, b)

namespace
{

constexpr simd::build<kernel> builds[] = {
#if ORVANE_QUESSEL_SIMD
#if HWY_TARGETS & HWY_AVX3
    {"avx512", simd::needs::avx512, BATCH_NAME(BATCH, _batch)::N_AVX3::many},
#endif
#if HWY_TARGETS & HWY_AVX2
    {"avx2", simd::needs::avx2, BATCH_NAME(BATCH, _batch)::N_AVX2::many},
#endif
#if HWY_TARGETS & HWY_SSE4
    {"sse4", simd::needs::sse4, BATCH_NAME(BATCH, _batch)::N_SSE4::many},
#endif
#if HWY_TARGETS & HWY_NEON
    {"neon", simd::needs::nothing, BATCH_NAME(BATCH, _batch)::N_NEON::many},
#endif
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
