#!/bin/bash
# Usage: orvane_test.sh PATH_TO_ORVANE PATH_TO_EMPTY_ARGV_RUNNER
prog=$1
empty_argv=$2
. "$(dirname "$0")/../tests/check.sh"

usage=' start_x start_y end_x end_y center_x center_y radius\n'
max=9223372036854775807
min=-9223372036854775808

# Answers: start_x start_y end_x end_y center_x center_y radius.
check 0 '1\n' '' 0 0 10 0 20 5 5           # line distance equals the radius
check 0 '0\n' '' 0 0 10 0 20 5 4           # line passes outside
check 0 '1\n' '' 0 0 10 0 20 3 5           # line passes inside
check 0 '1\n' '' 0 0 0 10 5 20 5           # vertical step, on the radius
check 0 '1\n' '' -5 -5 -4 -4 0 0 0         # diagonal line through the centre
check 0 '1\n' '' 0 0 10 0 10 0 0           # ends on the centre, at distance 0
check 0 '0\n' '' 10 0 0 0 20 5 5           # travelling away
check 0 '0\n' '' 3 3 3 3 0 0 100           # zero-length step
check 0 '0\n' '' 0 1 0 0 10 0 10           # sqrt(101) and 10 both round to 10
check 0 '0\n' '' 1 1 0 1 0 0 1             # sqrt(2) and 1 both round to 1
check 0 '1\n' '' 0 0 1 0 100 0 0           # circle far beyond the end point
check 0 '1\n' '' -100 0 5 0 0 0 1          # closest approach already passed
check 0 '0\n' '' -10 0 10 0 0 0 1          # ends as far as it began
check 0 '1\n' '' -10 0 9 0 0 0 1
check 0 '0\n' '' 0 0 10 0 20 5 -1          # negative radius
check 0 '0\n' '' 100000001 0 100000000 10000 0 0 100000001  # double root 10^8+0.5
check 0 '1\n' '' 100000000 10000 100000000 0 0 0 100000000  # and at the start
check 0 '1\n' '' 0 0 200000000 20000 200000001 0 20000     # division lands on r
check 0 '0\n' '' 0 0 18000000 6000 18000001 0 6000         # lands just above r
check 0 '0\n' '' 0 0 0 100000007 100000001 100000007 100000001  # exactly r, but the cross term rounds up
check 0 '1\n' '' 0 0 220 21 539 -48 99     # 21879 / 221 is 99; times 1/221 is not
check 0 '1\n' '' 0 0 64562 146425 258892 291750 119182  # r in double, r + 1 ulp via long double
check 0 '1\n' '' -1073741823 -1073741823 1073741823 1073741823 1073741823 1073741822 1

# Away from the origin, where every term of the cross product counts.
check 0 '1\n' '' 10 10 20 10 30 15 5       # drops or flips end_x*start_y - end_y*start_x
check 0 '1\n' '' -7 0 -5 -6 0 -7 6         # start's x and y swapped in its distance

# Each found by search to separate the exact rule from a plausible slip.
check 0 '0\n' '' 0 0 7729107 1393474 23961975 -903476 5140681  # cross <= radius * step
check 0 '0\n' '' 0 0 104160749 390445679 172653426 593823437 13755709  # step by hypot
check 0 '0\n' '' 0 0 295689229 397894155 697467008 919711981 11234095  # step from double squares
check 0 '1\n' '' 94906566 0 94906565 9742 0 0 94906566  # distance by hypot
check 0 '0\n' '' 94926050 0 94926049 9743 0 0 94926050  # distance from double squares
check 0 '1\n' '' 0 0 1 0 16777217 16777217 16777217  # radius 2^24 + 1 as float

# Beyond the domain: no trap, and false once a product or sum overflows.
check 0 '1\n' '' 0 0 1 0 3037000499 0 0    # squared distance just fits
check 0 '0\n' '' 0 0 1 0 3037000500 0 0    # squared distance overflows
check 0 '0\n' '' $max 0 $min 0 0 0 $max    # step overflows
check 0 '0\n' '' 0 0 0 1 $min 0 $max       # cross term is exactly -2^63
check 0 '0\n' '' -2147483647 0 2147483647 262144 2147483647 262144 1  # step square wraps to 3 * 2^34 + 4
check 0 '0\n' '' -1073741824 0 1073741824 1073741824 -1073741824 -1073741824 $max  # end's square 2^63
check 0 '0\n' '' -1073741824 1073741824 1073741824 1073741824 -1073741824 -1073741824 $max  # and only +-2^30
check 0 '0\n' '' $min $min $min $min $min $min $max
check 0 '0\n' '' $max $max $max $max $max $max $max
check 0 '0\n' '' $min $max $max $min 0 0 $max

# Conversion: white space, signs, trailing text, empty text, saturation.
check 0 '1\n' '' ' -10' +0 -5x 0.9 abc '' 1e3
check 0 '1\n' '' $'\t0' $'\n0' +10 0x '20abc' 5.9 $' \v\f\r5'
check 0 '0\n' '' 0 0 10 0 20 5 0x1F        # hex is not read: radius 0
check 0 '0\n' '' 0 0 10 0 20 5 '- 5'       # sign must touch the digits
check 0 '1\n' '' 0 0 10 0 20 5 9223372036854775808   # 2^63 saturates to 2^63 - 1
check 0 '1\n' '' 0 0 10 0 20 5 18446744073709551615  # and 2^64 - 1, not wrapped to -1
check 0 '1\n' '' 0 0 10 0 20 5 18446744073709551616
check 0 '1\n' '' 0 0 10 0 20 5 99999999999999999999999999999
check 0 '0\n' '' 0 0 10 0 20 5 -18446744073709551616

# Usage errors name the program as invoked; stdout stays empty.
check 1 '' "Usage: $prog$usage"
check 1 '' "Usage: $prog$usage" 1 2 3 4 5 6
check 1 '' "Usage: $prog$usage" 1 2 3 4 5 6 7 8
as=orv check 1 '' "Usage: orv$usage" 1
as='' check 1 '' "Usage: orvane$usage"
prog=$empty_argv check 1 '' "Usage: orvane$usage"   # argc 0, argv[0] null
to=/dev/full check 1 '' "Usage: $prog$usage"
# A name holding printf directives is printed as it stands.
as='x%sy' check 1 '' "Usage: x%sy$usage"
as='%n%n%n%n' check 1 '' "Usage: %n%n%n%n$usage" 1
as='100%%' to=/dev/full check 1 '' "100%%: write error: No space left on device\n" 0 0 10 0 20 5 5

# A lost answer is a failure.
to=/dev/full check 1 '' "$prog: write error: No space left on device\n" 0 0 10 0 20 5 5
to=/dev/full check 1 '' "$prog: write error: No space left on device\n" 10 0 0 0 20 5 5
to=closed check 1 '' "$prog: write error: Bad file descriptor\n" 0 0 10 0 20 5 5
to=eio check 1 '1\n' "$prog: write error: Input/output error\n" 0 0 10 0 20 5 5   # fails at close
as=orv to=/dev/full check 1 '' "orv: write error: No space left on device\n" 0 0 10 0 20 5 5
as='' to=/dev/full check 1 '' "orvane: write error: No space left on device\n" 0 0 10 0 20 5 5
# A reader gone from the pipe ends the program silently by SIGPIPE, as any
# writer in a pipeline; with SIGPIPE ignored, the lost answer is a failure.
to=broken check 141 '' '' 0 0 10 0 20 5 5
to=broken sigpipe=ignore check 1 '' "$prog: write error: Broken pipe\n" 0 0 10 0 20 5 5

finish
