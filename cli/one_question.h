// The whole life of a program that answers one question from its
// arguments, for each tool's main to run: the count checked, each argument
// read as atoll reads it, the answer printed as one digit and a newline,
// and standard output closed and checked, since an answer lost is no
// answer. In a header, so that a tool's object holds its main whole and
// needs only libc.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// count numbers; name stands for the program where the argument vector
// lacks one, and arguments are the names its usage line gives. Returns the
// exit status.
template <int count>
int one_question(int argc, char *argv[], const char *name,
                 const char *arguments, bool (*ask)(const long long *numbers))
{
	// Linux hands an empty vector over as one empty name.
	if (argc > 0 && argv[0][0])
		name = argv[0];
	if (argc != count + 1) {
		fprintf(stderr, "Usage: %s %s\n", name, arguments);
		return 1;
	}

	// strtoll saturates out-of-range text, where atoll is undefined.
	long long numbers[count];
	for (int i = 0; i < count; i++)
		numbers[i] = strtoll(argv[i + 1], nullptr, 10);

	if (printf("%d\n", ask(numbers) ? 1 : 0) < 0 || fclose(stdout) != 0) {
		fprintf(stderr, "%s: write error: %s\n", name, strerror(errno));
		return 1;
	}
	return 0;
}
