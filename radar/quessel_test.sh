#!/bin/bash
# Usage: quessel_test.sh PATH_TO_QUESSEL PATH_TO_EMPTY_ARGV_RUNNER
prog=$1
empty_argv=$2
. "$(dirname "$0")/../tests/check.sh"

usage=' x y radar_x radar_y radar_dir radar_angle\n'
max=9223372036854775807
min=-9223372036854775808

# Answers: x y radar_x radar_y radar_dir radar_angle.
check 0 '1\n' '' 10 10 0 0 0 90            # bearing 45 on the inclusive bound
check 0 '0\n' '' 10 11 0 0 0 90            # bearing about 47.7
check 0 '1\n' '' 13 17 3 7 45 2            # offsets from a radar off the origin
check 0 '0\n' '' 100 101 0 0 0 91          # 91 halves to 45, not 45.5
check 0 '1\n' '' 10 -10 0 0 0 90           # bearing 315 is difference -45
check 0 '1\n' '' 10 1 0 0 350 40           # -344 wraps to about 16
check 0 '1\n' '' 10 -1 0 0 10 40           # 354 wraps to about -16
check 0 '1\n' '' 5 0 0 0 45 90             # difference exactly -45
check 0 '0\n' '' 5 0 0 0 46 90
check 0 '1\n' '' 0 0 0 0 0 0               # point at the radar has bearing 0
check 0 '0\n' '' 0 0 0 0 180 359           # difference -180 is not corrected
check 0 '1\n' '' 0 0 0 0 180 360
check 0 '1\n' '' -10 0 0 0 0 360           # bearing 180 gives difference 180
check 0 '0\n' '' -10 0 0 0 0 359
check 0 '0\n' '' 10 0 0 0 -180 359         # difference 180 is not corrected
check 0 '0\n' '' 10 0 0 0 720 10           # -720 is corrected once only
check 0 '1\n' '' 10 0 0 0 -360 10          # 360 is corrected to 0
check 0 '0\n' '' 100 -1 0 0 -181 360        # about 540.6 wraps only to 180.6
check 0 '0\n' '' 0 0 0 0 541 360            # -541 wraps only to -181
check 0 '1\n' '' 10 -1 0 0 720 90          # about -366 corrects to about -6
check 0 '0\n' '' 10 1 0 0 720 90           # about -714 corrects only to -354
check 0 '1\n' '' 10 0 0 0 0 1              # widths -1, 0 and 1 halve to 0
check 0 '1\n' '' 10 0 0 0 0 -1
check 0 '0\n' '' 10 0 0 0 0 -2             # negative half width: never
check 0 '0\n' '' 10 0 0 0 0 -10
check 0 '0\n' '' 999 1 0 0 0 0             # width 0 admits only an exact match
check 0 '1\n' '' -3000000000000000 -1 0 0 180 0             # atan2 gives -pi
check 0 '1\n' '' 9000000000000000000 -1 0 0 0 0             # 360 + bearing is 360
check 0 '1\n' '' 1000000000000000000 52407779283041205 0 0 0 6  # *180 then /pi
check 0 '1\n' '' 1000000000000 57289961630760 0 0 0 178  # not / (pi/180) either
check 0 '1\n' '' 9000000000000000000 -1 0 0 720 0           # the bearing 360 is not folded to 0
check 0 '1\n' '' 9007199254740993 1 9007199254740992 0 45 2  # offsets are exact above 2^53
check 0 '1\n' '' 1 9007199254740993 0 9007199254740992 45 2
check 0 '1\n' '' 1000 10 0 0 180 360        # difference about -179.4 is not corrected
check 0 '1\n' '' 10 0 0 0 16777219 33553718  # radar_dir 2^24 + 3 as float
check 0 '1\n' '' 10 0 0 0 16777577 33554434  # -half, -(2^24 + 1), as float
check 0 '1\n' '' 10 0 0 0 -16777577 33554434 # half, 2^24 + 1, as float

# Offsets beyond 64 bits still answer geometrically.
check 0 '1\n' '' $max 0 $min 0 0 0
check 0 '1\n' '' $min 0 $max 0 180 0
check 0 '1\n' '' 0 $max 0 $min 90 0
check 0 '1\n' '' $min $min $max $max 225 0
check 0 '1\n' '' $max $max 0 0 0 $max
check 0 '1\n' '' $max 4611686018427389440 -4611686018427389437 -9223372036854775804 45 0  # equal offsets: subtract, then convert
check 0 '1\n' '' 4611686018427390466 $max -9223372036854775806 -4611686018427390465 45 0  # and for y
check 0 '0\n' '' $max $max $min -9223371761976868864 45 0  # offsets 2^38 apart, as float equal
check 0 '0\n' '' 10 10 0 0 0 $min
check 0 '0\n' '' 10 10 0 0 $min $max
check 0 '0\n' '' 10 10 0 0 $max $max

# Conversion: trailing text, fractions, white space, saturation.
check 0 '1\n' '' 10 10 0 0 0 90deg
check 0 '1\n' '' 10 abc 0 0 0 0
check 0 '0\n' '' 100 101 0 0 0 91.9        # 91.9 counts as 91
check 0 '1\n' '' $' \t10' '+10' '' $'\n0' -0 ' 90'
check 0 '0\n' '' 10 10 0 0 0 0x5A          # hex is not read: width 0
check 0 '1\n' '' -10 1 0 0 0 18446744073709551616
# At the 64-bit edge, one from the radar, where any misread moves the bearing.
check 0 '1\n' '' $max 1 9223372036854775806 0 45 0               # 2^63 - 1 exactly
check 0 '1\n' '' 9223372036854775808 1 9223372036854775806 0 45 0  # 2^63 saturates
check 0 '1\n' '' 18446744073709551615 1 9223372036854775806 0 45 0 # 2^64 - 1 too
check 0 '1\n' '' $min 1 -9223372036854775807 0 135 0             # -2^63 exactly
check 0 '1\n' '' -9223372036854775809 1 -9223372036854775807 0 135 0  # saturates
check 0 '0\n' '' -10 1 0 0 0 -18446744073709551616

# Usage errors name the program as invoked; stdout stays empty.
check 1 '' "Usage: $prog$usage"
check 1 '' "Usage: $prog$usage" 1 2 3 4 5
check 1 '' "Usage: $prog$usage" 1 2 3 4 5 6 7
as=radar check 1 '' "Usage: radar$usage" 1
as='' check 1 '' "Usage: quessel$usage"
prog=$empty_argv check 1 '' "Usage: quessel$usage"   # argc 0, argv[0] null
to=/dev/full check 1 '' "Usage: $prog$usage"
# A name holding printf directives is printed as it stands.
as='x%sy' check 1 '' "Usage: x%sy$usage"
as='%n%n%n%n' check 1 '' "Usage: %n%n%n%n$usage" 1
as='100%%' to=/dev/full check 1 '' "100%%: write error: No space left on device\n" 10 10 0 0 0 90

# A lost answer is a failure.
to=/dev/full check 1 '' "$prog: write error: No space left on device\n" 10 10 0 0 0 90
to=/dev/full check 1 '' "$prog: write error: No space left on device\n" 10 11 0 0 0 90
to=closed check 1 '' "$prog: write error: Bad file descriptor\n" 10 10 0 0 0 90
to=eio check 1 '1\n' "$prog: write error: Input/output error\n" 10 10 0 0 0 90   # fails at close
as=radar to=/dev/full check 1 '' "radar: write error: No space left on device\n" 10 10 0 0 0 90
as='' to=/dev/full check 1 '' "quessel: write error: No space left on device\n" 10 10 0 0 0 90
# A reader gone from the pipe ends the program silently by SIGPIPE, as any
# writer in a pipeline; with SIGPIPE ignored, the lost answer is a failure.
to=broken check 141 '' '' 10 10 0 0 0 90
to=broken sigpipe=ignore check 1 '' "$prog: write error: Broken pipe\n" 10 10 0 0 0 90

finish
