// The tools that a file of questions and the numpy ufuncs may ask, in one
// table that both read: a third predicate is one more row here, beside its
// own folder.
#pragma once

#include "orvane.h"
#include "quessel.h"

#include <cstddef>

namespace tools
{

struct tool {
	// The program's name, its count of numbers, and their names in its
	// order, as its usage line gives them.
	const char *name;
	int count;
	const char *arguments;
	// One question, its numbers in order; and n of them, a column of
	// each number, into answers.
	bool (*one)(const long long *numbers);
	void (*many)(size_t n, const long long *const *columns, bool *answers);
	// For the ufunc's docstring: what it answers, what its numbers are,
	// when it answers yes, and a note on its answers.
	const char *summary, *numbers, *yes, *note;
};

inline constexpr tool all[] = {
    {"orvane", 7, "start_x start_y end_x end_y center_x center_y radius",
     [](const long long *v) {
	     return orvane(v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
     },
     [](size_t n, const long long *const *c, bool *answers) {
	     orvane_many(n, c[0], c[1], c[2], c[3], c[4], c[5], c[6], answers);
     },
     "Whether a straight step's line meets a circle while the step brings\n"
     "the object nearer to the circle's centre.\n",
     "    int64 array_likes, in the program's order: the step from\n"
     "    (start_x, start_y) to (end_x, end_y), and the circle around\n"
     "    (center_x, center_y).\n",
     "    True where the infinite line through the start and end passes\n"
     "    within radius of the centre, bounds included, and the end is\n"
     "    strictly nearer the centre than the start, both distances first\n"
     "    rounded to whole numbers, halves away from zero.\n",
     "The answers are the orvane program's on every input, bit for bit.\n"},
    {"quessel", 6, "x y radar_x radar_y radar_dir radar_angle",
     [](const long long *v) {
	     return quessel(v[0], v[1], v[2], v[3], v[4], v[5]);
     },
     [](size_t n, const long long *const *c, bool *answers) {
	     quessel_many(n, c[0], c[1], c[2], c[3], c[4], c[5], answers);
     },
     "Whether a point lies within a radar's angular field.\n",
     "    int64 array_likes, in the program's order: the point, the radar's\n"
     "    position, the direction it faces and its full opening angle, in\n"
     "    whole degrees.\n",
     "    True where the direction from the radar to the point, in degrees\n"
     "    from +x toward +y, lies within radar_angle // 2 (halved toward\n"
     "    zero) of radar_dir, both bounds included. The field has no range\n"
     "    limit, and the difference of the directions is wrapped by one "
     "turn\n"
     "    at most.\n",
     "The answers are the quessel program's on every input, bit for bit,\n"
     "also a hair off a bound, where numpy's own arctan2 may differ from "
     "the\n"
     "C library's atan2 that defines them.\n"},
};

// The most numbers of any tool's question.
inline constexpr int most = [] {
	int m = 0;
	for (const tool &t : all)
		m = t.count > m ? t.count : m;
	return m;
}();

} // namespace tools
