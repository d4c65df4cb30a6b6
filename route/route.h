// The file route: a file of questions, each answered as the program orvane
// or quessel answers it, for the program orvane-quessel and for Python's
// python3 -m orvane_quessel alike, with one set of rules and messages.
#pragma once

#include <cstddef>

namespace many
{

// What a run reads at a time: chunks of up to chunk bytes (8 at least),
// cut at line ends; so that tests may cut them anywhere.
struct settings {
	size_t chunk = 1 << 20;
};

// Runs on the n operands in args, writing to standard output and error,
// and returns the exit status. name starts each message; invocation
// starts the usage line.
int route(int n, const char *const *args, const char *name,
          const char *invocation, const settings &given = settings());

} // namespace many
