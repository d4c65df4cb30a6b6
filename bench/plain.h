// The two predicates as a careful user writes them from their definition,
// without short-cuts: the written steps in plain 64-bit arithmetic that
// wraps where it overflows, plain ifs, and both distances always. Built
// apart, as the libraries are, so that both are called alike and the
// benchmark compares the work, not the inlining.
#pragma once

namespace plain
{

bool orvane(long long start_x, long long start_y, long long end_x,
            long long end_y, long long center_x, long long center_y,
            long long radius);

bool quessel(long long x, long long y, long long radar_x, long long radar_y,
             long long radar_dir, long long radar_angle);

} // namespace plain
